#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace {

TEST(TerminationSignals, ArriveInTheEventLoop)
{
    TerminationSignals watcher;
    QList<int> received;
    QObject::connect(&watcher, &TerminationSignals::terminationRequested, [&](int number) { received.append(number); });
    std::raise(SIGTERM);
    std::raise(SIGINT);
    std::raise(SIGHUP);
    const QDeadlineTimer deadline(5000);
    while (received.size() < 3 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(received, (QList<int> {SIGTERM, SIGINT, SIGHUP}));
}

} // namespace
