#include "platform/MessageWindow.h"
#include "platform/WindowDirectory.h"
#include "platform/WindowMessageSender.h"

#include "support/TestHome.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <future>
#include <memory>
#include <thread>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Runs the event loop until `done` holds or `ms` have passed.
template <typename Done> bool spinUntil(Done done, int ms = 10000)
{
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// Sends raw bytes to a window's socket from another thread and gives back
// whatever it answers before it closes the connection.
std::future<std::string> sendRaw(const std::string& socketPath, std::string bytes)
{
    return std::async(std::launch::async, [socketPath, bytes] {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        std::string answer;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            char buffer[64];
            ssize_t n = 0;
            while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
                answer.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(fd);
        return answer;
    });
}

QString peer()
{
    return TestHome::binFolder() + QStringLiteral("/winmsg_peer");
}

TEST(WinMsg, FindsWindowsByExactOrPartialCaption)
{
    TestHome home;
    MessageWindow receiver(QStringLiteral("KEVAIEObjectHelperItem 1"));
    MessageWindow other(QStringLiteral("VantrelrDialog"));
    ASSERT_TRUE(receiver.listen());
    ASSERT_TRUE(other.listen());

    using Match = WindowDirectory::Match;
    EXPECT_FALSE(WindowDirectory::findWindow("KEVAIEObjectHelperItem", Match::Exact));
    const auto partial = WindowDirectory::findWindow("KEVAIEObjectHelperItem", Match::Contains);
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->caption, "KEVAIEObjectHelperItem 1");
    EXPECT_TRUE(WindowDirectory::findWindow("VantrelrDialog", Match::Exact));
    EXPECT_FALSE(WindowDirectory::findWindow("vantrelrdialog", Match::Exact)) << "captions match with their case";

    other.setCaption(QStringLiteral("vantrelrecdlg"));
    EXPECT_FALSE(WindowDirectory::findWindow("VantrelrDialog", Match::Exact));
    EXPECT_TRUE(WindowDirectory::findWindow("vantrelrecdlg", Match::Exact));
    EXPECT_EQ(WindowDirectory::windows().size(), 2u);
}

TEST(WinMsg, ClosedWindowIsGone)
{
    TestHome home;
    {
        MessageWindow window(QStringLiteral("Short lived"));
        ASSERT_TRUE(window.listen());
        EXPECT_TRUE(WindowDirectory::findWindow("Short lived", WindowDirectory::Match::Exact));
    }
    EXPECT_FALSE(WindowDirectory::findWindow("Short lived", WindowDirectory::Match::Exact));
    EXPECT_TRUE(QDir(home.runtimeFolder()).entryList(QDir::Files | QDir::System).isEmpty());
}

// A program that waits for a window of another process looks windows up over
// and over without returning to its event loop, so its own windows accept
// none of the probes. The look-ups must still answer, and find them alive.
TEST(WinMsg, LookUpsNeverWaitForAWindowThatIsBusy)
{
    TestHome home;
    MessageWindow busy(QStringLiteral("vantrelrecdlg"));
    ASSERT_TRUE(busy.listen());
    auto done = std::make_shared<std::promise<int>>();
    std::future<int> found = done->get_future();
    // On a thread of its own, so a look-up that blocks fails the test instead
    // of hanging it.
    std::thread([done] {
        int hits = 0;
        for (int i = 0; i < 200; ++i)
            hits += WindowDirectory::findWindow("vantrelrecdlg", WindowDirectory::Match::Exact) ? 1 : 0;
        done->set_value(hits);
    }).detach();
    ASSERT_EQ(found.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "a look-up blocked";
    EXPECT_EQ(found.get(), 200);
}

// A second process sends a text; its send returns only once the handler here
// has run to its end, and carries the handler's result back.
TEST(WinMsg, SendFromAnotherProcessWaitsForTheHandler)
{
    TestHome home;
    const QString marker = home.path(QStringLiteral("handled"));
    MessageWindow receiver(QStringLiteral("KEVAIEObjectHelperItem"));
    QList<WindowMessage> received;
    receiver.setHandler([&](const WindowMessage& message) {
        received.append(message);
        QThread::msleep(300);
        QFile(marker).open(QIODevice::WriteOnly);
        return qint64(4242);
    });
    ASSERT_TRUE(receiver.listen());

    QProcess sender;
    sender.start(peer(),
                 {QStringLiteral("send"), QStringLiteral("ObjectHelper"), QStringLiteral("12"),
                  QStringLiteral("http://example.org/ä.zip"), marker});
    ASSERT_TRUE(sender.waitForStarted());
    ASSERT_TRUE(spinUntil([&] { return sender.state() == QProcess::NotRunning; }));

    const QString output = QString::fromUtf8(sender.readAllStandardOutput());
    EXPECT_EQ(sender.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("result 4242"))) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("marker present"))) << output.toStdString();
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received[0].message, WindowMessage::WM_SETTEXT);
    EXPECT_EQ(received[0].wParam, 7);
    EXPECT_EQ(QString::fromStdString(received[0].text), QStringLiteral("http://example.org/ä.zip"));
}

TEST(WinMsg, SetTextReachesTheFirstChild)
{
    TestHome home;
    MessageWindow receiver(QStringLiteral("Receiver"));
    WindowMessage got;
    receiver.setHandler([&](const WindowMessage& message) {
        got = message;
        return qint64(1);
    });
    ASSERT_TRUE(receiver.listen());
    const auto window = WindowDirectory::findWindow("Receiver", WindowDirectory::Match::Exact);
    ASSERT_TRUE(window);

    auto result = std::async(std::launch::async, [&] {
        return WindowMessageSender::setText(WindowDirectory::firstChild(*window), "ftp://host/file");
    });
    ASSERT_TRUE(spinUntil([&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(result.get(), 1);
    EXPECT_EQ(got.message, WindowMessage::WM_SETTEXT);
    EXPECT_EQ(got.child, 1u);
    EXPECT_EQ(got.text, "ftp://host/file");
}

TEST(WinMsg, WindowsOfAKilledProcessAreCleanedUp)
{
    TestHome home;
    const QString caption = QStringLiteral("Doomed window");
    QProcess receiver;
    receiver.start(peer(), {QStringLiteral("receive"), caption});
    ASSERT_TRUE(receiver.waitForReadyRead(10000));
    ASSERT_TRUE(receiver.readAllStandardOutput().contains("ready"));
    ASSERT_TRUE(WindowDirectory::findWindow(caption.toStdString(), WindowDirectory::Match::Exact));
    EXPECT_FALSE(QDir(home.runtimeFolder()).entryList(QDir::Files | QDir::System).isEmpty());

    ::kill(static_cast<pid_t>(receiver.processId()), SIGKILL);
    ASSERT_TRUE(receiver.waitForFinished(10000));

    EXPECT_FALSE(WindowDirectory::findWindow(caption.toStdString(), WindowDirectory::Match::Exact));
    EXPECT_TRUE(QDir(home.runtimeFolder()).entryList(QDir::Files | QDir::System).isEmpty())
        << "socket and caption files removed";
}

TEST(WinMsg, RuntimeFolderIsPrivateToTheUser)
{
    TestHome home;
    const QString fresh = home.path(QStringLiteral("fresh/quillspan"));
    QDir().mkpath(home.path(QStringLiteral("fresh")));
    qputenv("KEVA_RUNTIME_DIR", QFile::encodeName(fresh));

    struct stat info { };
    ASSERT_EQ(WindowDirectory::runtimeFolder(), fresh.toStdString());
    ASSERT_EQ(::stat(QFile::encodeName(fresh).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    ::chmod(QFile::encodeName(fresh).constData(), 0755);
    ASSERT_EQ(WindowDirectory::runtimeFolder(), fresh.toStdString());
    ::stat(QFile::encodeName(fresh).constData(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0700u) << "a loosened folder is made private again";

    home.writeFile(QStringLiteral("not-a-folder"), "x");
    qputenv("KEVA_RUNTIME_DIR", QFile::encodeName(home.path(QStringLiteral("not-a-folder"))));
    EXPECT_EQ(WindowDirectory::runtimeFolder(), std::string());
    MessageWindow window(QStringLiteral("nowhere"));
    EXPECT_FALSE(window.listen());
}

// Garbage, an oversized message and a stalled sender are refused; the
// handler never sees them and the window goes on answering.
TEST(WinMsg, BadMessagesAreRefusedWithoutHarm)
{
    TestHome home;
    MessageWindow receiver(QStringLiteral("Sturdy"));
    receiver.setIdleTimeout(200);
    int handled = 0;
    QStringList refusals;
    receiver.setHandler([&](const WindowMessage&) { return qint64(++handled); });
    QObject::connect(&receiver, &MessageWindow::messageRefused, [&](const QString& why) { refusals.append(why); });
    ASSERT_TRUE(receiver.listen());
    const std::string socketPath = WindowDirectory::findWindow("Sturdy", WindowDirectory::Match::Exact)->socketPath;

    const std::string refusedReply = WindowMessage::encodeReply(WindowMessage::ReplyStatus::Refused, 0);
    std::string oversized = WindowMessage {1, 0, 0, "x"}.encode();
    oversized[23] = '\x40'; // a text of about a gigabyte announced
    const std::string stalled = WindowMessage {1, 0, 0, "never finished"}.encode().substr(0, 30);

    struct BadCase {
        std::string bytes;
        std::string expectedReply;
        QString reason;
    };
    const BadCase cases[] = {
        {std::string("\x00\x01garbage that is no message at all", 33), refusedReply,
         QStringLiteral("malformed message")},
        {oversized, refusedReply, QStringLiteral("message too large")},
        {stalled, std::string(), QStringLiteral("sender stalled")},
    };
    for (const BadCase& bad : cases) {
        refusals.clear();
        auto answer = sendRaw(socketPath, bad.bytes);
        ASSERT_TRUE(spinUntil([&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }))
            << bad.reason.toStdString();
        EXPECT_EQ(answer.get(), bad.expectedReply) << bad.reason.toStdString();
        EXPECT_EQ(refusals, QStringList {bad.reason});
    }
    EXPECT_EQ(handled, 0);

    EXPECT_FALSE(WindowMessageSender::send(WindowHandle {socketPath, "Sturdy", 0}, 1, 0,
                                           std::string(WindowMessage::kMaxTextBytes + 1, 'x')))
        << "the sender refuses an oversized text itself";

    auto good = std::async(std::launch::async, [&] {
        return WindowMessageSender::send(WindowHandle {socketPath, "Sturdy", 0}, 1, 0, "still here");
    });
    ASSERT_TRUE(spinUntil([&] { return good.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(good.get(), 1);
}

} // namespace
