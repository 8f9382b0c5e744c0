#include "fileshare/ui/CMainFrame.h"

#include "fileshare/engine/LengthPrefixedFile.h"
#include "fileshare/engine/VantsvcEngine.h"
#include "fileshare/engine/VantsvcLink.h"
#include "fileshare/state/VantrelState.h"
#include "platform/InstanceLock.h"
#include "platform/WindowDirectory.h"
#include "support/RawHttpClient.h"
#include "support/TestHome.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

std::uint16_t freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in where {};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof where;
    ::bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length);
    ::close(fd);
    return ntohs(where.sin_port);
}

// Runs the event loop until `done` holds or the time is up.
template <typename Condition> bool waitFor(Condition done, int timeoutMs = 20000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Vantrel's window over its state, with the real engine program.
class CMainFrameTest : public testing::Test {
protected:
    void TearDown() override
    {
        // Whatever happened, the engine does not outlive the test.
        if (engine.exists())
            engine.send(VantsvcEngine::kQuit, 0);
    }

    template <typename T> T* child(const char* name) const { return window.findChild<T*>(QString::fromLatin1(name)); }
    QString logText() const { return child<QPlainTextEdit>("logView")->toPlainText(); }

    TestHome home;
    VantsvcLink engine {TestHome::binFolder() + QStringLiteral("/Vantsvc")};
    VantrelState state {ProgramFolder(home.programFolder(), QString()), home.prompter, home.shell, engine,
                        [] { return QStringList {QStringLiteral("127.0.0.1")}; }};
    CMainFrame window {state, home.shell};
};

TEST_F(CMainFrameTest, StartServeLogAndStopWithTheRealEngine)
{
    ASSERT_TRUE(window.receiverListening());
    window.show();
    home.writeFile(QStringLiteral("site/hello.txt"), "hello");
    window.selectFolder(home.path(QStringLiteral("site")));
    ASSERT_TRUE(waitFor([&] { return window.selectedFolder() == home.path(QStringLiteral("site")); }));
    window.command(32775)->trigger();
    auto* list = child<QTreeWidget>("publishedList");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("/"));

    const std::uint16_t port = freePort();
    auto* portBox = child<QLineEdit>("portBox");
    portBox->setText(QString::number(port));
    emit portBox->textEdited(portBox->text());
    window.command(32779)->trigger();
    ASSERT_TRUE(home.prompter.shown.isEmpty()) << home.prompter.shown.first().text.toStdString();
    EXPECT_TRUE(portBox->isReadOnly());
    EXPECT_TRUE(
        child<QTextBrowser>("pageView")->toPlainText().contains(QStringLiteral("http://127.0.0.1:%1").arg(port)));
    EXPECT_GT(child<QTextBrowser>("pageView")->height(), 1);

    ASSERT_TRUE(waitFor([&] { return logText().contains(QStringLiteral("Server started on port %1.").arg(port)); }))
        << logText().toStdString();
    EXPECT_EQ(RawHttpClient(port).send("GET /hello.txt HTTP/1.0\r\n\r\n").body(), "hello");
    ASSERT_TRUE(waitFor([&] { return logText().contains(QStringLiteral("\"GET /hello.txt HTTP/1.0\" 200 5")); }))
        << logText().toStdString();

    window.command(32780)->trigger();
    EXPECT_FALSE(state.running());
    EXPECT_FALSE(portBox->isReadOnly());
    ASSERT_TRUE(waitFor([&] { return logText().contains(QStringLiteral("Server stopped.")); }));
    EXPECT_FALSE(RawHttpClient(port).connected());

    window.close();
    EXPECT_TRUE(waitFor([&] { return !engine.exists(); }));
    EXPECT_TRUE(QFile::exists(home.path(QStringLiteral("home/vantrel.log"))));
}

// A port taken by another program: the start fails, the user is told why in
// a message box, and the window keeps the stopped layout.
// Once the port is free the same start succeeds.
TEST_F(CMainFrameTest, AStartOnAPortInUseIsShownAndLeavesTheSiteStopped)
{
    window.show();
    const int taken = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in where {};
    where.sin_family = AF_INET;
    socklen_t length = sizeof where;
    ASSERT_EQ(::bind(taken, reinterpret_cast<const sockaddr*>(&where), sizeof where), 0);
    ASSERT_EQ(::listen(taken, 1), 0);
    ::getsockname(taken, reinterpret_cast<sockaddr*>(&where), &length);
    const int port = ntohs(where.sin_port);

    auto* portBox = child<QLineEdit>("portBox");
    portBox->setText(QString::number(port));
    emit portBox->textEdited(portBox->text());
    window.command(32779)->trigger();
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_EQ(home.prompter.shown.first().text,
              QStringLiteral("Can not start the server on port %1: Address already in use").arg(port));
    EXPECT_FALSE(state.running());
    EXPECT_FALSE(portBox->isReadOnly());
    EXPECT_EQ(child<QLabel>("statusLabel")->text(),
              QStringLiteral("TODO:Add the directories and press start tool bar."));
    EXPECT_EQ(child<QTextBrowser>("pageView")->height(), 1);

    ::close(taken);
    window.command(32779)->trigger();
    EXPECT_EQ(home.prompter.shown.size(), 1);
    EXPECT_TRUE(waitFor([&] { return state.running(); }));
    EXPECT_GT(child<QTextBrowser>("pageView")->height(), 1);
    EXPECT_TRUE(
        child<QTextBrowser>("pageView")->toPlainText().contains(QStringLiteral("http://127.0.0.1:%1").arg(port)));
}

TEST_F(CMainFrameTest, ARestartOnAnotherPortShowsTheNewAddress)
{
    window.show();
    auto* portBox = child<QLineEdit>("portBox");
    auto* page = child<QTextBrowser>("pageView");
    const std::uint16_t first = freePort();
    std::uint16_t second = freePort();
    while (second == first)
        second = freePort();
    for (const std::uint16_t port : {first, second}) {
        portBox->setText(QString::number(port));
        emit portBox->textEdited(portBox->text());
        window.command(32779)->trigger();
        ASSERT_TRUE(waitFor([&] { return state.running(); }));
        window.command(32780)->trigger();
    }
    EXPECT_TRUE(home.prompter.shown.isEmpty());
    EXPECT_TRUE(page->toPlainText().contains(QStringLiteral("http://127.0.0.1:%1").arg(second)))
        << page->toPlainText().toStdString();
    EXPECT_FALSE(page->toPlainText().contains(QStringLiteral("http://127.0.0.1:%1").arg(first)));
}

// The panes are sized from the window as the layout says, not scaled to
// shares of the splitter, at every window size. A start shows the page view
// below the published folders and leaves the folder tree and the log as wide
// as they were.
TEST_F(CMainFrameTest, PanesTakeTheirSizesFromTheWindow)
{
    struct Case {
        int width;
        int height;
        QList<int> columns; // the folder tree and the middle column
        int runningListHeight;
    };
    const Case cases[] = {{900, 560, {324, 270}, 112}, {1200, 800, {432, 360}, 160}, {700, 500, {252, 210}, 100}};
    window.show();
    auto* columns = qobject_cast<QSplitter*>(window.centralWidget());
    ASSERT_NE(columns, nullptr);
    auto* middle = qobject_cast<QSplitter*>(columns->widget(1));
    ASSERT_NE(middle, nullptr);
    auto* portBox = child<QLineEdit>("portBox");
    for (const Case& c : cases) {
        window.resize(c.width, c.height);
        ASSERT_TRUE(waitFor([&] { return window.size() == QSize(c.width, c.height); })) << c.width;
        EXPECT_EQ(columns->sizes().mid(0, 2), c.columns) << c.width;
        EXPECT_EQ(middle->sizes().at(1), 1) << c.width;
        const int logWidth = columns->sizes().at(2);
        EXPECT_GE(logWidth, c.columns.at(1)) << c.width;

        portBox->setText(QString::number(freePort()));
        emit portBox->textEdited(portBox->text());
        window.command(32779)->trigger();
        // The engine may take a while to start on a loaded machine.
        ASSERT_TRUE(waitFor([&] { return state.running(); })) << c.width;
        EXPECT_EQ(columns->sizes(), (QList<int> {c.columns.at(0), c.columns.at(1), logWidth})) << c.width;
        EXPECT_EQ(middle->sizes().at(0), c.runningListHeight) << c.width;
        window.command(32780)->trigger();
        EXPECT_EQ(middle->sizes().at(1), 1) << c.width;
    }
}

// Every tool-bar button says what it does; the help button shows a help
// icon (a white mark on a blue disc), not the style's stand-in, which reads
// as a red cross.
TEST_F(CMainFrameTest, ToolBarButtonsHaveTipsAndHelpLooksLikeHelp)
{
    const std::pair<int, const char*> tips[] = {{32775, "Add directory to distribute."},
                                                {32776, "Delete distribution directory."},
                                                {32779, "Start the server."},
                                                {32780, "Stop the server."},
                                                {32781, "Hide the window."},
                                                {32784, "Clear the log window."}};
    for (const auto& [id, tip] : tips)
        EXPECT_EQ(window.command(id)->toolTip(), QString::fromLatin1(tip)) << id;
    const auto* help = child<QAction>("helpCommand");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->toolTip(), QStringLiteral("Open the help."));

    const QImage icon = help->icon().pixmap(24, 24).toImage();
    int red = 0;
    int blue = 0;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const QColor pixel = icon.pixelColor(x, y);
            if (pixel.alpha() < 128)
                continue;
            red += pixel.red() > 150 && pixel.green() < 100 && pixel.blue() < 100;
            blue += pixel.blue() > 150 && pixel.red() < 100;
        }
    }
    EXPECT_EQ(red, 0);
    EXPECT_GT(blue, icon.width() * icon.height() / 4);
}

TEST_F(CMainFrameTest, ClearLogAndHide)
{
    window.show();
    LengthPrefixedFile::write(home.path(QStringLiteral("home/vantrel.per")), "line from the engine\r\n");
    state.logReady();
    EXPECT_TRUE(logText().endsWith(QStringLiteral("line from the engine\n")));
    window.command(32784)->trigger();
    EXPECT_EQ(logText(), QStringLiteral("This is the log window. MaxLine=5000\n"));
    window.command(32781)->trigger();
    EXPECT_FALSE(window.isVisible() && !window.isMinimized());
}

// Two processes: while this window's program holds the single-instance lock,
// a second start of the real program brings the window back, hidden or
// minimised, in front, and ends.
TEST_F(CMainFrameTest, ASecondStartBringsTheWindowBackAndEnds)
{
    const InstanceLock running(QString::fromLatin1(VantrelState::kInstanceName));
    ASSERT_TRUE(window.receiverListening());
    const std::pair<const char*, std::function<void()>> putAway[] = {{"hidden", [&] { window.hide(); }},
                                                                     {"minimised", [&] { window.showMinimized(); }}};
    for (const auto& [how, away] : putAway) {
        window.show();
        away();
        ASSERT_TRUE(waitFor([&] { return !window.isVisible() || window.isMinimized(); })) << how;
        QProcess second;
        second.start(TestHome::binFolder() + QStringLiteral("/Vantrel"), {});
        // The end may be seen while events run: waitForFinished is false then.
        const bool ended = waitFor(
            [&] { return second.state() == QProcess::NotRunning || second.waitForFinished(10); });
        EXPECT_TRUE(ended) << how << ": the second start ends\n" << second.readAllStandardError().constData();
        if (!ended)
            second.kill();
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit) << how;
        EXPECT_EQ(second.exitCode(), 0) << how;
        EXPECT_TRUE(waitFor([&] { return window.isVisible() && !window.isMinimized() && window.isActiveWindow(); }))
            << how << ": visible " << window.isVisible() << ", minimised " << window.isMinimized() << ", active "
            << window.isActiveWindow();
    }
    EXPECT_TRUE(home.prompter.shown.isEmpty());
}

TEST_F(CMainFrameTest, LogViewKeepsTheCap)
{
    QString lines;
    for (int i = 0; i < 5200; ++i)
        lines += QStringLiteral("line %1\r\n").arg(i);
    LengthPrefixedFile::write(home.path(QStringLiteral("home/vantrel.per")), lines.toUtf8());
    state.logReady();
    const QStringList shown = logText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(shown.size(), 5000);
    EXPECT_EQ(shown.first(), QStringLiteral("This is the log window. MaxLine=5000"));
    EXPECT_EQ(shown.at(1), QStringLiteral("line 201"));
}

} // namespace
