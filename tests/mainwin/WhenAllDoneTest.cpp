#include "mainwin/WhenAllDone.h"

#include "engine/DownloadJob.h"
#include "engine/DownloadWindows.h"
#include "engine/JobList.h"
#include "mainwin/PowerCountdown.h"
#include "mainwin/SystemPower.h"
#include "platform/DesktopShell.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"

#include "LocalDownloads.h"
#include "PrivateBus.h"
#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Downloads of a window into the test's home; what WhenAllDone does once
// they have ended, with "anything still to do" set by the test. Commands
// run for real.
class WhenAllDoneTest : public testing::Test {
protected:
    void SetUp() override
    {
        context = std::make_unique<KevaContext>(
            ProgramFolder(home.programFolder(), home.programFolder() + QStringLiteral("/Lang")), home.registryFolder(),
            home.prompter, shell, TestHome::binFolder() + QStringLiteral("/KEVA"));
        LoadSettings(*context, LoadReason::Startup);
        windows = std::make_unique<DownloadWindows>(*context, jobs);
        windows->showWindow = [this](DownloadJob& job) { allDone->watch(job); };
    }
    // WhenAllDone over `power`, with the action `action`.
    void make(SystemPower& power, AllDoneAction action)
    {
        context->appSettings.AllDoneAction = static_cast<std::int8_t>(action);
        allDone = std::make_unique<WhenAllDone>(*context, power);
        allDone->anythingToDo = [this] { return stillToDo; };
        allDone->countdownSeconds = 1;
    }
    QString file(const char* name) const { return home.path(QString::fromLatin1(name)); }
    static void settle(int ms) { LocalDownloads::settle(ms); }

    TestHome home;
    DesktopShell shell;
    std::unique_ptr<KevaContext> context;
    JobList jobs;
    LocalDownloads downloads;
    std::unique_ptr<DownloadWindows> windows;
    std::unique_ptr<WhenAllDone> allDone;
    bool stillToDo = false;
};

TEST_F(WhenAllDoneTest, RunsTheCommandOnceWithTheLastFileWhenNothingIsLeftToDo)
{
    SystemPower noBus(QDBusConnection(QStringLiteral("no bus")));
    make(noBus, AllDoneAction::RunCommand);
    // A script in a folder with a space in its name notes its arguments.
    const QString script = file("my tools/after.sh");
    home.writeFile(QStringLiteral("my tools/after.sh"), "#!/bin/sh\nprintf '%s|' \"$@\" > \"$0.ran\"\n");
    QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    context->appSettings.AllDoneCommand = QStringLiteral("\"%1\" --quiet").arg(script);
    const QString ran = script + QStringLiteral(".ran");

    stillToDo = true;
    ASSERT_NE(downloads.run(*windows, file("first.bin")), nullptr);
    settle(500);
    EXPECT_FALSE(QFileInfo::exists(ran)) << "another download waits";

    stillToDo = false;
    const DownloadJob* job = downloads.run(*windows, file("second.bin"));
    ASSERT_TRUE(job && job->completed());
    EXPECT_EQ(LocalDownloads::sha256(home.readFile(QStringLiteral("second.bin"))),
              LocalDownloads::sha256(downloads.content()));
    const QDeadlineTimer deadline(10000);
    while (!QFileInfo(ran).size() && !deadline.hasExpired())
        settle(50);
    EXPECT_EQ(home.readFile(QStringLiteral("my tools/after.sh.ran")),
              (QStringLiteral("--quiet|") + file("second.bin") + QLatin1Char('|')).toUtf8());
    EXPECT_TRUE(home.prompter.shown.isEmpty());
}

// Suspend and shut down, through a fake logind on a bus of the test's own.
struct PowerCase {
    const char* name;
    AllDoneAction action;
    bool cancel;      // the user cancels the countdown
    const char* call; // what logind is asked; none when empty
};

class WhenAllDonePower : public WhenAllDoneTest, public testing::WithParamInterface<PowerCase> {
protected:
    PrivateBus logind {QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1")};
};

TEST_P(WhenAllDonePower, AsksLogindAfterTheCountdown)
{
    const PowerCase& c = GetParam();
    KEVA_REQUIRE_BUS(logind);
    SystemPower power(logind.connection());
    make(power, c.action);
    int shown = 0;
    allDone->showCountdown = [&shown](PowerCountdown& countdown) {
        ++shown;
        EXPECT_EQ(countdown.secondsLeft(), 1);
    };

    ASSERT_NE(downloads.run(*windows, file("f.bin")), nullptr);
    settle(100);
    ASSERT_EQ(shown, 1);
    ASSERT_NE(allDone->countdown(), nullptr);
    if (c.cancel)
        allDone->countdown()->cancel();
    const QString expected = QString::fromLatin1(c.call);
    if (expected.isEmpty())
        settle(1500);
    EXPECT_EQ(logind.calls(expected.isEmpty() ? 0 : 1), expected.isEmpty() ? QStringList() : QStringList {expected});
    settle(100);
    EXPECT_EQ(allDone->countdown(), nullptr);
    EXPECT_TRUE(home.prompter.shown.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Actions, WhenAllDonePower,
                         testing::Values(PowerCase {"Suspend", AllDoneAction::Suspend, false, "Suspend\tfalse"},
                                         PowerCase {"PowerOff", AllDoneAction::PowerOff, false, "PowerOff\tfalse"},
                                         PowerCase {"Cancelled", AllDoneAction::Suspend, true, ""}),
                         CaseName());

} // namespace
