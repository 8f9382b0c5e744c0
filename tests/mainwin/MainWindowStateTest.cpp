#include "intake/IntakeSession.h"
#include "mainwin/MainWindowState.h"

#include "engine/DownloadWindows.h"
#include "mainwin/AboutState.h"
#include "mainwin/HistoryFile.h"
#include "settings/CRegister.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"

#include "SlowTransfers.h"
#include "TestToday.h"
#include "support/CaseName.h"
#include "support/PeerRequirement.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

class MainWindowStateTest : public testing::Test {
protected:
    void SetUp() override
    {
        home.installLanguageFiles();
        context = &home.newContext();
        windows = std::make_unique<DownloadWindows>(*context, views.lstMain);
        state = std::make_unique<MainWindowState>(*context, intake, *windows, views, [] { return kToday; });
        state->quit = [this] { ++quits; };
        state->removeTrayIcon = [this] { events.append(QStringLiteral("tray removed")); };
    }
    TestHome home;
    KevaContext* context = nullptr;
    IntakeSession intake;
    JobViews views;
    std::unique_ptr<DownloadWindows> windows;
    std::unique_ptr<MainWindowState> state;
    QStringList events;
    int quits = 0;
};

TEST_F(MainWindowStateTest, StartsUpInOrder)
{
    // The last run ended in the middle of two downloads.
    const QByteArray date = HistoryFile::dateText(kToday).toUtf8() + "\r\n";
    home.writeFile(QStringLiteral("home/History.ini"),
                   "/d/a\r\n100%\r\n1 KB\r\n1 KB\r\nDownload Success\r\nhttp://h/a\r\n" + date
                       + "/d/b\r\n22%\r\n3 MB\r\n704 KB\r\nDownloading\r\nhttp://h/b\r\n" + date
                       + "/d/c\r\n0%\r\nN/A\r\nN/A\r\nConnected\r\nftp://h/c\r\n" + date
                       + "/d/d\r\n0%\r\nN/A\r\nN/A\r\nNot Downloaded\r\nhttp://h/d\r\n" + date);
    state->loadReceiver = [this] {
        events.append(QStringLiteral("receiver"));
        return true;
    };
    state->addTrayIcon = [this] { events.append(QStringLiteral("tray added")); };
    state->Load();
    EXPECT_EQ(state->startupSteps(),
              (QStringList {QStringLiteral("title"), QStringLiteral("receiver"), QStringLiteral("tray"),
                            QStringLiteral("settings"), QStringLiteral("history"), QStringLiteral("language"),
                            QStringLiteral("language list"), QStringLiteral("captions")}));
    EXPECT_EQ(events, (QStringList {QStringLiteral("receiver"), QStringLiteral("tray added")}));
    EXPECT_EQ(context->appSettings.RunTimes, 1) << "settings loaded";
    ASSERT_EQ(views.lstMain.rowCount(), 4) << "history loaded";
    QStringList statuses;
    for (int number = 1; number <= 4; ++number)
        statuses.append(views.lstMain.row(number)->subItem(JobColumn::Status));
    EXPECT_EQ(statuses,
              (QStringList {QStringLiteral("Download Success"), QStringLiteral("Paused/Stopped"),
                            QStringLiteral("Paused/Stopped"), QStringLiteral("Not Downloaded")}))
        << "nothing runs before it is started again";
    EXPECT_EQ(context->text.languageFile(), QStringLiteral("English.ini"));
    EXPECT_EQ(state->caption(QStringLiteral("file_mnu")), QStringLiteral("&File"));
}

// The shipped English file names the view tree's nodes with the window's own
// texts, as it does every other caption.
TEST_F(MainWindowStateTest, ShippedEnglishNamesTheTreeNodesAsBuiltIn)
{
    const struct {
        const char* control;
        const char* text;
    } nodes[] = {{"node_Downloads", "Downloads"}, {"node_History", "History"},   {"node_All", "All"},
                 {"node_Ysterday", "Ysterday"},   {"node_PastWeek", "PastWeek"}, {"node_PastMonth", "PastMonth"}};
    for (const auto& [control, text] : nodes)
        EXPECT_EQ(state->caption(QString::fromLatin1(control)), QString::fromLatin1(text)) << control << ", built in";
    state->Load();
    ASSERT_EQ(context->text.languageFile(), QStringLiteral("English.ini"));
    for (const auto& [control, text] : nodes)
        EXPECT_EQ(state->caption(QString::fromLatin1(control)), QString::fromLatin1(text))
            << control << ", English.ini";
}

// A run killed while it replaced a state file left the temporary file; the
// next start removes those whose writer is gone, and only those.
TEST_F(MainWindowStateTest, StartRemovesTemporaryFilesOfKilledWrites)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const QString dead = QString::number(child);
    const QString live = QString::number(::getppid());
    const QStringList stale = {QStringLiteral("home/History.ini.tmp.%1.k1LLed").arg(dead),
                               QStringLiteral("home/Settings.ini.tmp.%1.k1LLed").arg(dead),
                               QStringLiteral("registry/HKEY_LOCAL_MACHINE.reg.tmp.%1.k1LLed").arg(dead),
                               QStringLiteral("registry/HKEY_CURRENT_USER.reg.tmp.%1.k1LLed").arg(dead)};
    const QStringList kept = {QStringLiteral("home/History.ini.tmp.%1.wr1t1n").arg(live),
                              QStringLiteral("home/Notes.txt.tmp.%1.k1LLed").arg(dead)};
    for (const QString& name : stale + kept)
        home.writeFile(name, QByteArray(262144, 'h'));

    state->Load();
    for (const QString& name : stale)
        EXPECT_FALSE(QFile::exists(home.path(name))) << name.toStdString();
    for (const QString& name : kept)
        EXPECT_TRUE(QFile::exists(home.path(name))) << name.toStdString();
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

class MainWindowShutdown : public MainWindowStateTest, public testing::WithParamInterface<ShutdownCase> { };

TEST_P(MainWindowShutdown, WritesTheHistory)
{
    state->Load();
    views.lstMain.addRow({QStringLiteral("/d/f.zip"), QStringLiteral("10%"), QStringLiteral("N/A"),
                          QStringLiteral("N/A"), QStringLiteral("Paused/Stopped"), QStringLiteral("http://h/f.zip")});
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
    EXPECT_EQ(context->registry.readValue(RegistryRoot::HKEY_CURRENT_USER,
                                          QStringLiteral("Software\\Quillspan\\Language"), QStringLiteral("Name")),
              QStringLiteral("English.ini"));

    (state.get()->*GetParam().path)();
    EXPECT_EQ(quits, 1) << "the program ends once";
}

INSTANTIATE_TEST_SUITE_P(
    Paths, MainWindowShutdown,
    testing::Values(
        ShutdownCase {"Exit", &MainWindowState::exitCommand, true, {QStringLiteral("tray removed before save")}},
        ShutdownCase {"TrayClose", &MainWindowState::trayClose, false, {QStringLiteral("tray removed before save")}},
        ShutdownCase {"SessionEnd", &MainWindowState::sessionEnd, false, {QStringLiteral("tray removed after save")}}),
    [](const testing::TestParamInfo<ShutdownCase>& row) { return std::string(row.param.name); });

TEST_F(MainWindowStateTest, RateTextAndTrayFramesFollowTheTick)
{
    SlowTransfers transfers;
    KEVA_REQUIRE_PEER(transfers.server());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    state->Load();
    state->tmrGraph_Timer();
    EXPECT_EQ(state->statusText(), QStringLiteral("Total Transfer Rate: 00.00 Kbps")) << "no rows: the sum stays";

    DownloadJob* first = transfers.start(*windows, home.path(QStringLiteral("a.bin")));
    DownloadJob* second = transfers.start(*windows, home.path(QStringLiteral("b.bin")));
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(SlowTransfers::waitForRate(*first) && SlowTransfers::waitForRate(*second));
    QList<int> frames;
    for (int tick = 0; tick < 6; ++tick) {
        state->tmrGraph_Timer();
        frames.append(state->trayFrame());
    }
    EXPECT_EQ(frames, (QList<int> {1, 2, 3, 0, 1, 2}));
    const double sum = first->currentRate() + second->currentRate();
    EXPECT_EQ(state->statusText(),
              QStringLiteral("Total Transfer Rate: ") + MainWindowState::formatRate(sum / 1000.0, QLocale())
                  + QStringLiteral(" Kbps"));

    first->Pause_Resume();
    second->Pause_Resume();
    state->tmrGraph_Timer();
    EXPECT_EQ(state->trayFrame(), 0);
    EXPECT_EQ(state->statusText(), QStringLiteral("Total Transfer Rate: 00.00 Kbps"));
    QLocale::setDefault(QLocale::system());
}

// Once the downloads end the total rate drops to 0, however they ended.
struct RateEndCase {
    const char* name;
    std::function<void(DownloadJob& job, JobViews& views)> end;
};

class RateDropsToZero : public MainWindowStateTest, public testing::WithParamInterface<RateEndCase> { };

TEST_P(RateDropsToZero, AfterTheTransferEnds)
{
    SlowTransfers transfers;
    KEVA_REQUIRE_PEER(transfers.server());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    state->Load();
    DownloadJob* job = transfers.start(*windows, home.path(QStringLiteral("a.bin")));
    ASSERT_NE(job, nullptr);
    ASSERT_TRUE(SlowTransfers::waitForRate(*job));
    state->tmrGraph_Timer();
    ASSERT_NE(state->statusText(), QStringLiteral("Total Transfer Rate: 00.00 Kbps"));

    GetParam().end(*job, views);
    state->tmrGraph_Timer();
    EXPECT_EQ(state->statusText(), QStringLiteral("Total Transfer Rate: 00.00 Kbps"));
    EXPECT_EQ(state->trayFrame(), 0);
    QLocale::setDefault(QLocale::system());
}

INSTANTIATE_TEST_SUITE_P(
    Ends, RateDropsToZero,
    testing::Values(RateEndCase {"ConnectionsClosed", [](DownloadJob& job, JobViews&) { job.CloseConnections(); }},
                    RateEndCase {"WindowClosed", [](DownloadJob& job, JobViews&) { job.unload(); }},
                    // The user cleared the job list while the job ran; then it paused.
                    RateEndCase {"RowsClearedThenPaused",
                                 [](DownloadJob& job, JobViews& views) {
                                     views.clearShown();
                                     job.Pause_Resume();
                                 }}),
    CaseName());

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
    SlowTransfers transfers;
    KEVA_REQUIRE_PEER(transfers.server());
    state->Load();

    DownloadJob* running = transfers.start(*windows, home.path(QStringLiteral("r.bin")));
    DownloadJob* paused = transfers.start(*windows, home.path(QStringLiteral("p.bin")));
    ASSERT_TRUE(running && paused);
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
    EXPECT_EQ(running->phase(), JobPhase::Stopped) << "the running job stopped";
    EXPECT_EQ(paused->phase(), JobPhase::Paused) << "stop all leaves paused jobs alone";
}

// Only the stop of all jobs stops what would start more of them.
TEST_F(MainWindowStateTest, StopAllAnnouncesItselfFirst)
{
    int announced = 0;
    QObject::connect(state.get(), &MainWindowState::stoppingAll, [&] { ++announced; });
    state->run(MainWindowState::JobCommand::Stop, MainWindowState::Scope::Selection);
    state->run(MainWindowState::JobCommand::Pause, MainWindowState::Scope::All);
    EXPECT_EQ(announced, 0);
    state->StopAll();
    EXPECT_EQ(announced, 1);
    state->run(MainWindowState::JobCommand::Stop, MainWindowState::Scope::All);
    EXPECT_EQ(announced, 2);
}

// Jobs that the user stopped, or whose window the user closed, are finished
// with: no global command brings them back.
struct FinishedJobCase {
    const char* name;
    std::function<void(DownloadJob& job)> finish;
};

class GlobalCommandsLeaveFinishedJobs : public MainWindowStateTest,
                                        public testing::WithParamInterface<FinishedJobCase> { };

TEST_P(GlobalCommandsLeaveFinishedJobs, ResumeAllDoesNotRestartThem)
{
    SlowTransfers transfers;
    KEVA_REQUIRE_PEER(transfers.server());
    state->Load();
    DownloadJob* job = transfers.start(*windows, home.path(QStringLiteral("f.bin")));
    DownloadJob* paused = transfers.start(*windows, home.path(QStringLiteral("p.bin")));
    ASSERT_TRUE(job && paused);
    paused->Pause_Resume();
    GetParam().finish(*job);
    ASSERT_FALSE(job->isTransferring());

    state->ResumeAll();
    EXPECT_FALSE(job->isTransferring());
    EXPECT_TRUE(paused->isTransferring()) << "a paused job with its window resumes";
    state->PauseAll();
    state->ResumeAll();
    EXPECT_FALSE(job->isTransferring());

    int visited = 0;
    state->forEachWindowedJob([&](DownloadJob& windowed) {
        ++visited;
        EXPECT_EQ(&windowed, job->view().visible ? &windowed : paused);
    });
    EXPECT_EQ(visited, job->view().visible ? 2 : 1);
}

INSTANTIATE_TEST_SUITE_P(Finished, GlobalCommandsLeaveFinishedJobs,
                         testing::Values(FinishedJobCase {"Stopped", [](DownloadJob& job) { job.StopMe(); }},
                                         FinishedJobCase {"ClosedWhileRunning", [](DownloadJob& job) { job.unload(); }},
                                         FinishedJobCase {"ClosedWhilePaused",
                                                          [](DownloadJob& job) {
                                                              job.Pause_Resume();
                                                              job.unload();
                                                          }},
                                         FinishedJobCase {"StoppedThenClosed",
                                                          [](DownloadJob& job) {
                                                              job.StopMe();
                                                              job.StopMe();
                                                          }}),
                         CaseName());

TEST_F(MainWindowStateTest, TrayTogglesWriteTheSettings)
{
    state->Load();
    ASSERT_TRUE(state->clipboardMonitoringChecked());
    state->toggleClipboardMonitoring();
    EXPECT_FALSE(state->clipboardMonitoringChecked());
    ASSERT_TRUE(state->captureClicksChecked());
    state->toggleCaptureClicks();
    EXPECT_FALSE(state->captureClicksChecked());
    EXPECT_FALSE(
        context->registry.keyExists(RegistryRoot::HKEY_LOCAL_MACHINE,
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

// A language folder of the test's own: each language file with a text for
// the File menu, and the pictures named; a picture "loads" when it holds "BM".
class MainWindowLanguageTest : public MainWindowStateTest {
protected:
    void SetUp() override
    {
        MainWindowStateTest::SetUp();
        QDir(home.programFolder() + QStringLiteral("/Lang")).removeRecursively();
        state->loadsAsPicture = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) && file.read(2) == "BM";
        };
    }
    void writeLanguages(const QStringList& languages, const QStringList& pictures) const
    {
        for (const QString& language : languages)
            home.writeFile(QStringLiteral("home/Lang/%1.ini").arg(language),
                           "[KEVA]\n01010=File-" + language.toUtf8() + "\n02001=About-" + language.toUtf8() + "\n");
        for (const QString& picture : pictures)
            home.writeFile(QStringLiteral("home/Lang/%1.bmp").arg(picture), "BM");
    }
    QStringList itemNames() const
    {
        QStringList names;
        for (const LanguageList::Item& item : state->languages().items())
            names.append(item.name);
        return names;
    }
};

TEST_F(MainWindowLanguageTest, WithoutAStoredChoiceEnglishIsSelected)
{
    writeLanguages({QStringLiteral("English"), QStringLiteral("Arabic")},
                   {QStringLiteral("English"), QStringLiteral("Arabic")});
    state->Load();
    EXPECT_EQ(context->text.languageFile(), QStringLiteral("English.ini"));
    ASSERT_GE(state->languages().selected(), 0);
    EXPECT_EQ(state->languages().items()[state->languages().selected()].name, QStringLiteral("English"));
    EXPECT_EQ(state->caption(QStringLiteral("file_mnu")), QStringLiteral("File-English"));
    EXPECT_FALSE(state->rightToLeft());
    EXPECT_TRUE(home.prompter.shown.isEmpty());
}

// Arabic turns the window right to left, another language turns it back; the
// choice is stored at shutdown and is the language of the next start.
TEST_F(MainWindowLanguageTest, TheChoiceSurvivesARestart)
{
    writeLanguages({QStringLiteral("English"), QStringLiteral("Arabic"), QStringLiteral("German")},
                   {QStringLiteral("English"), QStringLiteral("Arabic"), QStringLiteral("German")});
    state->Load();
    int changes = 0;
    QObject::connect(state.get(), &MainWindowState::languagesChanged, [&changes] { ++changes; });

    state->ComboLang_Click(QStringLiteral("Arabic"));
    EXPECT_EQ(context->text.languageFile(), QStringLiteral("Arabic.ini"));
    EXPECT_TRUE(state->rightToLeft());
    EXPECT_EQ(state->caption(QStringLiteral("file_mnu")), QStringLiteral("File-Arabic"));
    EXPECT_EQ(state->languages().items()[state->languages().selected()].name, QStringLiteral("Arabic"));
    EXPECT_EQ(changes, 1);

    state->ComboLang_Click(QStringLiteral("German"));
    EXPECT_FALSE(state->rightToLeft());
    EXPECT_EQ(state->caption(QStringLiteral("file_mnu")), QStringLiteral("File-German"));
    state->exitCommand();

    KevaContext& restarted = home.newContext();
    JobViews restartedViews;
    DownloadWindows restartedWindows(restarted, restartedViews.lstMain);
    MainWindowState again(restarted, intake, restartedWindows, restartedViews, [] { return kToday; });
    again.Load();
    EXPECT_EQ(restarted.text.languageFile(), QStringLiteral("German.ini"));
    EXPECT_EQ(again.languages().items()[again.languages().selected()].name, QStringLiteral("German"));
    EXPECT_EQ(again.caption(QStringLiteral("file_mnu")), QStringLiteral("File-German"));
}

TEST_F(MainWindowLanguageTest, AStoredArabicStartsRightToLeft)
{
    writeLanguages({QStringLiteral("English"), QStringLiteral("Arabic")},
                   {QStringLiteral("English"), QStringLiteral("Arabic")});
    CRegister(context->registry)
        .REGSaveSetting(RegistryRoot::HKEY_CURRENT_USER, QStringLiteral("Software\\Quillspan\\Language"),
                        QStringLiteral("Name"), QStringLiteral("Arabic.ini"));
    state->Load();
    EXPECT_TRUE(state->rightToLeft());
    EXPECT_EQ(state->caption(QStringLiteral("file_mnu")), QStringLiteral("File-Arabic"));
    // The rate with its unit reads left to right inside the right-to-left text.
    state->tmrGraph_Timer();
    EXPECT_TRUE(state->statusText().endsWith(QChar(0x2066) + QStringLiteral("00.00 Kbps") + QChar(0x2069)))
        << state->statusText().toStdString();
}

// One more language file than pictures: the user is told once, and every
// window keeps its built-in captions for the rest of the run, also after a
// caption run of its own.
TEST_F(MainWindowLanguageTest, TooFewPicturesTurnTheLanguageFilesOff)
{
    writeLanguages({QStringLiteral("English"), QStringLiteral("Arabic")}, {QStringLiteral("English")});
    state->Load();
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_EQ(home.prompter.shown[0].text, QStringLiteral("Error in language files,language pack will not loaded."));
    EXPECT_EQ(home.prompter.shown[0].caption, QStringLiteral("Quillspan"));
    EXPECT_EQ(home.prompter.shown[0].icon, Prompter::Icon::Critical);
    EXPECT_TRUE(context->text.LanguagePackUnavailable());
    EXPECT_FALSE(state->startupSteps().contains(QStringLiteral("captions")));
    EXPECT_TRUE(state->languages().items().isEmpty());

    EXPECT_EQ(state->caption(QStringLiteral("file_mnu")), QStringLiteral("&File"));
    state->SetCaptions();
    EXPECT_EQ(state->caption(QStringLiteral("file_mnu")), QStringLiteral("&File"));
    AboutState about(*context);
    about.applyCaptions();
    EXPECT_EQ(about.caption(QStringLiteral("frmAbout")), QStringLiteral("About Quillspan"));
}

TEST_F(MainWindowLanguageTest, APictureThatDoesNotLoadTurnsTheLanguageFilesOff)
{
    writeLanguages({QStringLiteral("English")}, {});
    home.writeFile(QStringLiteral("home/Lang/English.bmp"), "GIF89a");
    state->Load();
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_TRUE(context->text.LanguagePackUnavailable());
    EXPECT_EQ(state->caption(QStringLiteral("file_mnu")), QStringLiteral("&File"));
}

// A file written "German.INI" is listed as "German", and choosing it reads it.
TEST_F(MainWindowLanguageTest, ALanguageFileInCapitals)
{
    writeLanguages({QStringLiteral("English")}, {QStringLiteral("English"), QStringLiteral("German")});
    home.writeFile(QStringLiteral("home/Lang/German.INI"), "[KEVA]\n01010=&Datei\n");
    state->Load();
    EXPECT_EQ(itemNames().size(), 2);
    EXPECT_TRUE(itemNames().contains(QStringLiteral("German")));
    state->ComboLang_Click(QStringLiteral("German"));
    EXPECT_EQ(context->text.languageFile(), QStringLiteral("German.ini"));
    EXPECT_EQ(state->caption(QStringLiteral("file_mnu")), QStringLiteral("&Datei"));
}

} // namespace
