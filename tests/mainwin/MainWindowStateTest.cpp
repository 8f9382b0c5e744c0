#include "mainwin/MainWindowState.h"

#include "engine/DownloadWindows.h"
#include "mainwin/HistoryFile.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"

#include "support/NginxServer.h"
#include "support/PeerRequirement.h"
#include "support/TestHome.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QDate kToday(2026, 12, 7);

class MainWindowStateTest : public testing::Test {
protected:
    void SetUp() override
    {
        home.installLanguageFiles();
        context = &home.newContext();
        windows = std::make_unique<DownloadWindows>(*context, views.lstMain);
        state = std::make_unique<MainWindowState>(*context, *windows, views, [] { return kToday; });
        state->quit = [this] { ++quits; };
        state->removeTrayIcon = [this] { events.append(QStringLiteral("tray removed")); };
    }
    bool spin(const std::function<bool()>& done, int ms = 20000)
    {
        const QDeadlineTimer deadline(ms);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }
    DownloadJob* startFailing(const QString& name)
    {
        int row = -1;
        return windows->StartJob(QStringLiteral("http://127.0.0.1:9/") + name, home.path(name), row);
    }

    TestHome home;
    KevaContext* context = nullptr;
    JobViews views;
    std::unique_ptr<DownloadWindows> windows;
    std::unique_ptr<MainWindowState> state;
    QStringList events;
    int quits = 0;
};

TEST_F(MainWindowStateTest, StartsUpInOrder)
{
    home.writeFile(QStringLiteral("home/History.ini"),
                   "/d/a\r\n100%\r\n1 KB\r\n1 KB\r\nDownload Success\r\nhttp://h/a\r\n" + HistoryFile::dateText(kToday).toUtf8() + "\r\n");
    state->loadReceiver = [this] {
        events.append(QStringLiteral("receiver"));
        return true;
    };
    state->addTrayIcon = [this] { events.append(QStringLiteral("tray added")); };
    state->Load();
    EXPECT_EQ(state->startupSteps(), (QStringList {QStringLiteral("title"), QStringLiteral("receiver"), QStringLiteral("tray"),
                                                   QStringLiteral("settings"), QStringLiteral("history"),
                                                   QStringLiteral("language"), QStringLiteral("captions")}));
    EXPECT_EQ(events, (QStringList {QStringLiteral("receiver"), QStringLiteral("tray added")}));
    EXPECT_EQ(context->appSettings.RunTimes, 1) << "settings loaded";
    EXPECT_EQ(views.lstMain.rowCount(), 1) << "history loaded";
    EXPECT_EQ(context->text.languageFile(), QStringLiteral("English.ini"));
    EXPECT_EQ(state->caption(QStringLiteral("file_mnu")), QStringLiteral("&File"));
    EXPECT_EQ(state->caption(QStringLiteral("node_Ysterday")), QStringLiteral("Yesterday"));
}

TEST_F(MainWindowStateTest, AReceiverThatFailsIsNoStep)
{
    state->loadReceiver = [] { return false; };
    state->Load();
    EXPECT_FALSE(state->startupSteps().contains(QStringLiteral("receiver")));
}

struct ShutdownCase {
    const char* name;
    void (MainWindowState::*path)();
    bool writesLogins;
    QStringList order;
};

class MainWindowShutdown : public MainWindowStateTest, public testing::WithParamInterface<ShutdownCase> {};

TEST_P(MainWindowShutdown, WritesTheHistory)
{
    state->Load();
    views.lstMain.addRow({QStringLiteral("/d/f.zip"), QStringLiteral("10%"), QStringLiteral("N/A"), QStringLiteral("N/A"),
                          QStringLiteral("Paused/Stopped"), QStringLiteral("http://h/f.zip")});
    QFile::remove(home.programFolder() + QStringLiteral("/Settings.ini"));
    state->removeTrayIcon = [this] {
        events.append(QFile::exists(state->historyPath()) ? QStringLiteral("tray removed after save")
                                                          : QStringLiteral("tray removed before save"));
    };

    (state.get()->*GetParam().path)();
    EXPECT_TRUE(home.readFile(QStringLiteral("home/History.ini")).startsWith("/d/f.zip\r\n10%\r\n"));
    EXPECT_EQ(QFile::exists(home.programFolder() + QStringLiteral("/Settings.ini")), GetParam().writesLogins);
    EXPECT_EQ(events, GetParam().order);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(context->registry.readValue(RegistryRoot::HKEY_CURRENT_USER, QStringLiteral("Software\\Quillspan\\Language"),
                                          QStringLiteral("Name")),
              QStringLiteral("English.ini"));

    (state.get()->*GetParam().path)();
    EXPECT_EQ(quits, 1) << "the program ends once";
}

INSTANTIATE_TEST_SUITE_P(
    Paths, MainWindowShutdown,
    testing::Values(ShutdownCase {"Exit", &MainWindowState::exitCommand, true, {QStringLiteral("tray removed before save")}},
                    ShutdownCase {"TrayClose", &MainWindowState::trayClose, false, {QStringLiteral("tray removed before save")}},
                    ShutdownCase {"SessionEnd", &MainWindowState::sessionEnd, false, {QStringLiteral("tray removed after save")}}),
    [](const testing::TestParamInfo<ShutdownCase>& row) { return std::string(row.param.name); });

TEST_F(MainWindowStateTest, RateTextAndTrayFramesFollowTheTick)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    state->Load();
    state->tmrGraph_Timer();
    EXPECT_EQ(state->statusText(), QStringLiteral("Total Transfer Rate: 00.00 Kbps")) << "no rows: the sum stays";

    DownloadJob* first = startFailing(QStringLiteral("a.bin"));
    DownloadJob* second = startFailing(QStringLiteral("b.bin"));
    first->CurrentRate = 1500;
    second->CurrentRate = 2500;
    QList<int> frames;
    for (int tick = 0; tick < 6; ++tick) {
        state->tmrGraph_Timer();
        frames.append(state->trayFrame());
    }
    EXPECT_EQ(frames, (QList<int> {1, 2, 3, 0, 1, 2}));
    EXPECT_EQ(state->statusText(), QStringLiteral("Total Transfer Rate: 04.00 Kbps"));

    first->CurrentRate = 0;
    second->CurrentRate = 0;
    state->tmrGraph_Timer();
    EXPECT_EQ(state->trayFrame(), 0);
    EXPECT_EQ(state->statusText(), QStringLiteral("Total Transfer Rate: 00.00 Kbps"));
    QLocale::setDefault(QLocale::system());
}

TEST(MainWindowStateFormat, RatePicture)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(MainWindowState::formatRate(4, english), QStringLiteral("04.00"));
    EXPECT_EQ(MainWindowState::formatRate(12.5, english), QStringLiteral("12.50"));
    EXPECT_EQ(MainWindowState::formatRate(1.2346, english), QStringLiteral("01.235"));
    EXPECT_EQ(MainWindowState::formatRate(1234.5, english), QStringLiteral("1234.50"));
    EXPECT_EQ(MainWindowState::formatRate(4, QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("04,00"));
}

// Pause, resume and stop all, over jobs that really run against nginx.
TEST_F(MainWindowStateTest, GlobalCommandsActOnRunningOrPausedJobs)
{
    QTemporaryDir root;
    QFile::setPermissions(root.path(), QFile::permissions(root.path()) | QFileDevice::ExeOther | QFileDevice::ReadOther);
    QFile data(root.path() + QStringLiteral("/f.bin"));
    data.open(QIODevice::WriteOnly);
    data.write(QByteArray(1024 * 1024, 'k'));
    data.close();
    QFile::setPermissions(data.fileName(), QFile::permissions(data.fileName()) | QFileDevice::ReadOther);
    NginxServer nginx(root.path());
    nginx.addRateLimitedLocation(QStringLiteral("/slow/"), 20000);
    KEVA_REQUIRE_PEER(nginx);
    state->Load();

    int row = -1;
    const QString url = nginx.url(QStringLiteral("/slow/f.bin")).toString();
    DownloadJob* running = windows->StartJob(url, home.path(QStringLiteral("r.bin")), row);
    row = -1;
    DownloadJob* paused = windows->StartJob(url, home.path(QStringLiteral("p.bin")), row);
    ASSERT_TRUE(spin([&] { return running->isTransferring() && paused->isTransferring(); }));
    paused->Pause_Resume();
    ASSERT_TRUE(paused->isPaused());

    state->ResumeAll();
    EXPECT_FALSE(paused->isPaused()) << "the paused job resumes";
    EXPECT_TRUE(running->isTransferring()) << "the running job is left alone";

    state->PauseAll();
    EXPECT_TRUE(running->isPaused());
    EXPECT_TRUE(paused->isPaused());

    running->Pause_Resume();
    state->StopAll();
    EXPECT_FALSE(running->isTransferring());
    EXPECT_EQ(running->view().cmdStop, running->CloseCaption) << "the running job stopped";
    EXPECT_NE(paused->view().cmdStop, paused->CloseCaption) << "stop all leaves paused jobs alone";
}

TEST_F(MainWindowStateTest, TrayTogglesWriteTheSettings)
{
    state->Load();
    ASSERT_TRUE(state->clipboardMonitoringChecked());
    state->toggleClipboardMonitoring();
    EXPECT_FALSE(state->clipboardMonitoringChecked());
    ASSERT_TRUE(state->captureClicksChecked());
    state->toggleCaptureClicks();
    EXPECT_FALSE(state->captureClicksChecked());
    EXPECT_FALSE(context->registry.keyExists(RegistryRoot::HKEY_LOCAL_MACHINE,
                                            QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser "
                                                           "Helper Objects\\{D5B72AED-E54A-11D6-B1B2-444553540000}")));
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_EQ(home.prompter.shown[0].text,
              QStringLiteral("You will need to close and re-open your web browser for this change to take effect"));

    KevaContext& restarted = home.newContext();
    LoadSettings(restarted, LoadReason::Startup);
    EXPECT_FALSE(restarted.appSettings.ClipboardMonitoring);
    EXPECT_FALSE(restarted.appSettings.ClickCapture);
}

} // namespace
