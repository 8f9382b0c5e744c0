#include "fileshare/ui/CMainFrame.h"

#include "RawClient.h"
#include "fileshare/LengthPrefixedFile.h"
#include "fileshare/VantrelState.h"
#include "fileshare/VantsvcEngine.h"
#include "fileshare/VantsvcLink.h"
#include "platform/WindowDirectory.h"
#include "support/TestHome.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>

#include <gtest/gtest.h>

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
template <typename Condition>
bool waitFor(Condition done, int timeoutMs = 20000)
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

    template <typename T>
    T* child(const char* name) const
    {
        return window.findChild<T*>(QString::fromLatin1(name));
    }
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
    EXPECT_TRUE(child<QTextBrowser>("pageView")->toPlainText().contains(QStringLiteral("http://127.0.0.1:%1").arg(port)));
    EXPECT_GT(child<QTextBrowser>("pageView")->height(), 1);

    ASSERT_TRUE(waitFor([&] { return logText().contains(QStringLiteral("Server started on port %1.").arg(port)); }))
        << logText().toStdString();
    const std::string answer = RawClient::exchange(port, "GET /hello.txt HTTP/1.0\r\n\r\n");
    EXPECT_EQ(answer.substr(answer.size() - 5), "hello");
    ASSERT_TRUE(waitFor([&] { return logText().contains(QStringLiteral("\"GET /hello.txt HTTP/1.0\" 200 5")); }))
        << logText().toStdString();

    window.command(32780)->trigger();
    EXPECT_FALSE(state.running());
    EXPECT_FALSE(portBox->isReadOnly());
    ASSERT_TRUE(waitFor([&] { return logText().contains(QStringLiteral("Server stopped.")); }));
    EXPECT_FALSE(RawClient(port).connected());

    window.close();
    EXPECT_TRUE(waitFor([&] { return !engine.exists(); }));
    EXPECT_TRUE(QFile::exists(home.path(QStringLiteral("home/vantrel.log"))));
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
