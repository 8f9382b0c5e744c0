#include "mainwin/SingleInstance.h"

#include "support/TestHome.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

QString peer()
{
    return TestHome::binFolder() + QStringLiteral("/instance_peer");
}

TEST(SingleInstance, CommandLineIsTheTextAfterTheProgram)
{
    EXPECT_EQ(SingleInstance::commandLine({QStringLiteral("KEVA")}), QString());
    EXPECT_EQ(SingleInstance::commandLine({QStringLiteral("KEVA"), QStringLiteral("http://h/f.zip")}),
              QStringLiteral("http://h/f.zip"));
    EXPECT_EQ(SingleInstance::commandLine({QStringLiteral("KEVA"), QStringLiteral("/STARTUP"), QStringLiteral("x")}),
              QStringLiteral("/STARTUP x"));
    TestHome home;
    EXPECT_FALSE(SingleInstance::handOff(QStringLiteral("http://h/f.zip"))) << "nothing runs yet";
}

// A start by the desktop session is an ordinary start: its switch is no URL.
TEST(SingleInstance, AFirstStartTakesItsCommandLineButTheSessionSwitch)
{
    const std::pair<const char*, const char*> cases[] = {{"http://h/f.zip", "http://h/f.zip"},
                                                         {"/STARTUP", ""},
                                                         {"/startup", ""},
                                                         {"", ""},
                                                         {"/STARTUP x", "/STARTUP x"}};
    for (const auto& [commandLine, url] : cases)
        EXPECT_EQ(SingleInstance::firstStartUrl(QString::fromLatin1(commandLine)), QString::fromLatin1(url))
            << commandLine;
}

// Two real processes: the second start hands its command line to the first
// and ends at once; one without a command line asks for the first one's
// window; one with the desktop session's start-up switch sends nothing.
TEST(SingleInstance, ASecondStartHandsOverAndEnds)
{
    TestHome home;
    QProcess first;
    first.start(peer(), {});
    ASSERT_TRUE(first.waitForReadyRead(10000));
    ASSERT_TRUE(first.readLine().startsWith("ready"));

    QString received;
    const auto run = [&](const QStringList& arguments) {
        QProcess second;
        second.start(peer(), arguments);
        const QDeadlineTimer deadline(10000);
        while (second.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            second.waitForFinished(10);
            received += QString::fromUtf8(first.readAllStandardOutput());
        }
        first.waitForReadyRead(200);
        received += QString::fromUtf8(first.readAllStandardOutput());
        return second.exitCode();
    };

    EXPECT_EQ(run({QStringLiteral("http://example.org/file.zip")}), 3);
    EXPECT_EQ(received.trimmed(), QStringLiteral("received http://example.org/file.zip"));
    received.clear();
    EXPECT_EQ(run({}), 3);
    EXPECT_EQ(received.trimmed(), QStringLiteral("shown")) << "a plain start asks for the window";
    received.clear();
    EXPECT_EQ(run({QStringLiteral("/STARTUP")}), 3);
    EXPECT_EQ(received, QString()) << "the session's start asks for nothing";
    first.kill();
    first.waitForFinished();
}

} // namespace
