#include "platform/DesktopShell.h"

#include "support/TestHome.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// The desktop's opener is xdg-open; a stand-in on the PATH records its argument.
TEST(DesktopShell, HandsTheTargetToTheDesktopOpener)
{
    TestHome home;
    const QString log = home.path(QStringLiteral("opened.txt"));
    home.writeFile(QStringLiteral("fakebin/xdg-open"), "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + log.toUtf8() + "'\n");
    QFile::setPermissions(home.path(QStringLiteral("fakebin/xdg-open")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(home.path(QStringLiteral("fakebin"))) + ':' + savedPath);

    DesktopShell shell;
    EXPECT_TRUE(shell.open(QStringLiteral("/home/u/Downloads/a file.zip")));
    EXPECT_FALSE(shell.open(QString()));
    qputenv("PATH", savedPath);

    const QDeadlineTimer deadline(10000);
    while (!home.readFile(QStringLiteral("opened.txt")).endsWith('\n') && !deadline.hasExpired())
        QThread::msleep(10);
    EXPECT_EQ(home.readFile(QStringLiteral("opened.txt")), QByteArray("/home/u/Downloads/a file.zip\n"));
}

} // namespace
