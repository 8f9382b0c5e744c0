#include "fileshare/state/VantrelState.h"

#include "fileshare/engine/EngineLink.h"
#include "fileshare/engine/LengthPrefixedFile.h"
#include "fileshare/engine/PublishedFolderList.h"
#include "fileshare/engine/VantsvcEngine.h"
#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

// An engine that records what it was sent; it can be made to be missing.
class FakeEngine : public EngineLink {
public:
    bool findOrStart() override
    {
        ++lookups;
        if (startable)
            present = true;
        return present;
    }
    bool exists() override { return present; }
    std::optional<std::int64_t> send(std::uint32_t message, std::int64_t wParam) override
    {
        sent.push_back({message, wParam});
        if (!present || !answers)
            return std::nullopt;
        return message == VantsvcEngine::kStart ? startAnswer : 1;
    }

    bool present = false;
    bool answers = true;
    std::int64_t startAnswer = VantsvcEngine::kStarted;
    bool startable = true;
    int lookups = 0;
    std::vector<std::pair<std::uint32_t, std::int64_t>> sent;
};

class VantrelStateTest : public testing::Test {
protected:
    QString file(const char* name) const { return home.programFolder() + QLatin1Char('/') + QLatin1String(name); }
    QStringList messages() const
    {
        QStringList texts;
        for (const auto& shown : home.prompter.shown)
            texts << shown.text;
        return texts;
    }

    TestHome home;
    FakeEngine engine;
    QStringList addresses {QStringLiteral("192.168.1.5"), QStringLiteral("10.0.0.7")};
    VantrelState state {ProgramFolder(home.programFolder(), QString()), home.prompter, home.shell, engine,
                        [this] { return addresses; }};
};

struct PortCase {
    const char* name;
    const char* text;
    const char* message; // "" when the start goes ahead
    int port;
};

class PortCases : public VantrelStateTest, public testing::WithParamInterface<PortCase> { };

TEST_P(PortCases, ChecksThePortBeforeStarting)
{
    const PortCase& c = GetParam();
    state.setPortText(QString::fromLatin1(c.text));
    state.start();
    if (*c.message) {
        EXPECT_EQ(messages(), QStringList {QString::fromLatin1(c.message)});
        EXPECT_FALSE(state.running());
        EXPECT_TRUE(engine.sent.empty());
        EXPECT_FALSE(QFile::exists(file("vantrel.por")));
        EXPECT_FALSE(QFile::exists(file("vantrel.lst")));
        return;
    }
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(state.running());
    ASSERT_EQ(engine.sent.size(), 1u);
    EXPECT_EQ(engine.sent[0].first, 1324u);
    EXPECT_EQ(engine.sent[0].second, c.port);
}

INSTANTIATE_TEST_SUITE_P(Cases, PortCases,
                         testing::Values(PortCase {"Zero", "0", "Port number should be 1 to 65535", 0},
                                         PortCase {"TooLarge", "65536", "Port number should be 1 to 65535", 0},
                                         PortCase {"Word", "abc", "Port number should be 1 to 65535", 0},
                                         PortCase {"Empty", "", "Port number should be 1 to 65535", 0},
                                         PortCase {"Negative", "-5", "Port number should be 1 to 65535", 0},
                                         PortCase {"Eighty", "80", "Port number should not be 80", 0},
                                         PortCase {"Default", "608", "", 608},
                                         PortCase {"LeadingNumber", "8080x", "", 8080},
                                         PortCase {"Highest", "65535", "", 65535}),
                         CaseName());

TEST_F(VantrelStateTest, StartSavesFilesAndWritesTheSitePage)
{
    state.addFolder(home.path(QStringLiteral("a")));
    QSignalSpy pages(&state, &VantrelState::sitePageReady);
    state.start();
    EXPECT_EQ(LengthPrefixedFile::read(file("vantrel.por")), QByteArray("608"));
    PublishedFolderList saved;
    ASSERT_TRUE(saved.load(file("vantrel.lst")));
    EXPECT_EQ(saved.path(0), home.path(QStringLiteral("a")));
    ASSERT_EQ(pages.count(), 1);
    QFile page(state.sitePagePath());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_EQ(page.readAll(),
              "<html>\n<head>\n<title>URL for your site.</title>\n</head>\n \n<body><h2>URL for your "
              "Vantrel site.</h2>\n\n<hr><p><a href=http://192.168.1.5:608>http://192.168.1.5:608 "
              "</a></p>\n<p><a href=http://10.0.0.7:608>http://10.0.0.7:608 </a></p>\n<hr>\n</body>\n\n"
              "</html>");
    EXPECT_EQ(state.statusText(), QStringLiteral("TODO:You can change the settings after stop the site."));
    // The port box is read-only while running.
    state.setPortText(QStringLiteral("9000"));
    EXPECT_EQ(state.portText(), QStringLiteral("608"));
}

TEST_F(VantrelStateTest, StartingTwiceSendsStartTwiceAndLaunchesOnce)
{
    state.start();
    state.start();
    EXPECT_EQ(engine.sent.size(), 2u);
    EXPECT_EQ(engine.lookups, 2);
    EXPECT_TRUE(engine.present);
}

TEST_F(VantrelStateTest, MissingEngine)
{
    engine.startable = false;
    state.start();
    state.stop();
    EXPECT_EQ(messages(),
              QStringList({QStringLiteral("Error when start server engine!"),
                           QStringLiteral("Error when stop server engine!")}));
    EXPECT_FALSE(state.running());
    EXPECT_EQ(state.statusText(), QStringLiteral("TODO:Add the directories and press start tool bar."));
}

TEST_F(VantrelStateTest, AnEngineThatDoesNotAnswerIsAnError)
{
    state.start();
    engine.answers = false;
    state.stop();
    EXPECT_TRUE(state.running());
    state.start();
    EXPECT_EQ(messages(),
              QStringList({QStringLiteral("Error when stop server engine!"),
                           QStringLiteral("Error when start server engine!")}));
}

struct FailedStartCase {
    const char* name;
    std::int64_t answer; // the engine's answer to start
    bool wasRunning;
    const char* message;
};

class FailedStarts : public VantrelStateTest, public testing::WithParamInterface<FailedStartCase> { };

// The engine took the message but serves nothing: the user is told why, and
// the window shows a stopped site (an earlier run was stopped by the engine).
TEST_P(FailedStarts, AreShownAndLeaveTheSiteStopped)
{
    const FailedStartCase& c = GetParam();
    if (c.wasRunning) {
        state.start();
        ASSERT_TRUE(state.running());
    }
    QSignalSpy changes(&state, &VantrelState::runningChanged);
    QSignalSpy pages(&state, &VantrelState::sitePageReady);
    engine.startAnswer = c.answer;
    state.start();
    ASSERT_EQ(messages(), QStringList {QString::fromLatin1(c.message)});
    EXPECT_EQ(home.prompter.shown.first().icon, Prompter::Icon::Exclamation);
    EXPECT_FALSE(state.running());
    EXPECT_EQ(state.statusText(), QStringLiteral("TODO:Add the directories and press start tool bar."));
    EXPECT_EQ(changes.count(), c.wasRunning ? 1 : 0);
    EXPECT_EQ(pages.count(), 0);
    // The port box can be changed for the next try.
    state.setPortText(QStringLiteral("9000"));
    EXPECT_EQ(state.portText(), QStringLiteral("9000"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedStarts,
    testing::Values(FailedStartCase {"PortInUse", -EADDRINUSE, false,
                                     "Can not start the server on port 608: Address already in use"},
                    FailedStartCase {"PortInUseWhileRunning", -EADDRINUSE, true,
                                     "Can not start the server on port 608: Address already in use"},
                    FailedStartCase {"PortNotAllowed", -EACCES, false,
                                     "Can not start the server on port 608: Permission denied"},
                    FailedStartCase {"NoReason", 0, false, "Can not start the server on port 608."}),
    CaseName());

TEST_F(VantrelStateTest, StopAndQuit)
{
    state.start();
    state.stop();
    EXPECT_FALSE(state.running());
    state.closing();
    ASSERT_EQ(engine.sent.size(), 3u);
    EXPECT_EQ(engine.sent[1].first, 1424u);
    EXPECT_EQ(engine.sent[2].first, 1325u);
}

TEST_F(VantrelStateTest, ClosingWithoutAnEngineStartsNone)
{
    state.closing();
    EXPECT_EQ(engine.lookups, 0);
    EXPECT_TRUE(engine.sent.empty());
}

TEST_F(VantrelStateTest, FolderMessages)
{
    state.addFolder(QString());
    state.addFolder(QStringLiteral("/"));
    state.addFolder(QStringLiteral("/srv/a"));
    state.addFolder(QStringLiteral("/srv/A"));
    state.deleteFolder(-1);
    state.deleteFolder(5);
    EXPECT_EQ(messages(),
              QStringList({QStringLiteral("Please select directory first!"),
                           QStringLiteral("Can not set root directory of a drive to be distributed"),
                           QStringLiteral("/srv/A already added"),
                           QStringLiteral("Please select the directory which you want to delete"),
                           QStringLiteral("Please select the directory which you want to delete")}));
    state.openFolder(0);
    EXPECT_EQ(home.shell.opened, QStringList {QStringLiteral("/srv/a")});
    state.deleteFolder(0);
    EXPECT_EQ(state.folders().count(), 0);
}

TEST_F(VantrelStateTest, LogTextFromTheEngineIsAppendedAsItCame)
{
    QSignalSpy appended(&state, &VantrelState::logAppended);
    LengthPrefixedFile::write(file("vantrel.per"), "127.0.0.1 - - [x] \"GET / HTTP/1.1\" 200 5\r\n");
    state.logReady();
    QFile::remove(file("vantrel.per"));
    state.logReady();
    EXPECT_EQ(state.log().text(), LogText::header() + QStringLiteral("127.0.0.1 - - [x] \"GET / HTTP/1.1\" 200 5\r\n"));
    EXPECT_EQ(appended.count(), 1);
}

TEST_F(VantrelStateTest, StateSurvivesARestart)
{
    state.setPortText(QStringLiteral("8123"));
    state.addFolder(QStringLiteral("/srv/a"));
    state.addFolder(QStringLiteral("/srv/b"));
    LengthPrefixedFile::write(file("vantrel.per"), "served\r\n");
    state.logReady();
    state.clearLog();
    state.closing();

    VantrelState next(ProgramFolder(home.programFolder(), QString()), home.prompter, home.shell, engine, {});
    next.loadSavedState();
    EXPECT_EQ(next.portText(), QStringLiteral("8123"));
    ASSERT_EQ(next.folders().count(), 2);
    EXPECT_EQ(next.folders().path(0), QStringLiteral("/srv/b"));
    EXPECT_EQ(next.folders().alias(0), QStringLiteral("dir2"));
    EXPECT_EQ(next.log().text(), LogText::header());
}

TEST_F(VantrelStateTest, MissingStateFilesLeaveTheDefaults)
{
    home.writeFile(QStringLiteral("home/vantrel.por"), "\x09\x00");
    state.loadSavedState();
    EXPECT_EQ(state.portText(), QStringLiteral("608"));
    EXPECT_EQ(state.folders().count(), 0);
    EXPECT_EQ(state.log().text(), LogText::header());
}

// The help page ships with the programs, not in the program folder that
// holds the state files.
TEST_F(VantrelStateTest, HelpOpensThePageShippedWithTheProgram)
{
    home.writeFile(QStringLiteral("bin/help/htu.htm"), "<html></html>");
    VantrelState shipped(ProgramFolder::resolve(home.programFolder(), home.path(QStringLiteral("bin")), true, QString(),
                                                QStringLiteral("/unused")),
                         home.prompter, home.shell, engine, {});
    shipped.help();
    EXPECT_EQ(home.shell.opened, QStringList {home.path(QStringLiteral("bin/help/htu.htm"))});
}

// A start shows the page view and leaves the columns as they were.
TEST(PaneLayout, PageViewOutOfSightWhileStopped)
{
    const PaneLayout stopped = PaneLayout::compute(false, 1000, 600);
    EXPECT_EQ(std::vector<int>(stopped.columns, stopped.columns + 3), (std::vector<int> {360, 300, 540}));
    EXPECT_EQ(stopped.rows[1], 1);
    const PaneLayout running = PaneLayout::compute(true, 1000, 600);
    EXPECT_EQ(std::vector<int>(running.columns, running.columns + 3), (std::vector<int> {360, 300, 540}));
    EXPECT_EQ(running.rows[1], 480);
    const PaneLayout tiny = PaneLayout::compute(true, 20, 20);
    EXPECT_EQ(tiny.columns[0], PaneLayout::kMinimum);
}

// The splitters hold less than the window: the panes keep the sizes taken
// from the window, and the last pane of each splitter gets the rest.
struct FitCase {
    const char* name;
    bool running;
    int columnRoom;
    int rowRoom;
    int columns[3];
    int rows[2];
};

class FitCases : public testing::TestWithParam<FitCase> { };

TEST_P(FitCases, PanesKeepTheirSizesAndTheLastTakesTheRest)
{
    const FitCase& c = GetParam();
    const PaneLayout fitted = PaneLayout::compute(c.running, 900, 560).fittedTo(c.columnRoom, c.rowRoom);
    EXPECT_EQ(std::vector<int>(fitted.columns, fitted.columns + 3), std::vector<int>(c.columns, c.columns + 3));
    EXPECT_EQ(std::vector<int>(fitted.rows, fitted.rows + 2), std::vector<int>(c.rows, c.rows + 2));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FitCases,
    testing::Values(FitCase {"Stopped", false, 892, 480, {324, 270, 298}, {479, 1}},
                    FitCase {"Running", true, 892, 480, {324, 270, 298}, {112, 368}},
                    FitCase {"NarrowKeepsTheMinimumForTheRest", true, 500, 100, {324, 166, 10}, {90, 10}},
                    FitCase {"TooSmallForAll", false, 20, 5, {10, 10, 10}, {10, 1}}),
    CaseName());

} // namespace
