#include "capture/CBrowserHelper.h"
#include "capture/NativeMessageChannel.h"
#include "intake/frmLocater.h"
#include "settings/CRegister.h"

#include "support/CaseName.h"
#include "support/NativeMessageFrames.h"
#include "support/TestHome.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

namespace {

QByteArray frame(const QByteArray& body)
{
    return NativeMessageFrames::frame(body);
}

QStringList answers(const QByteArray& output)
{
    return NativeMessageFrames::bodies(output);
}

enum class Input { Closed, LeftOpen };

struct PipeCase {
    const char* name;
    QByteArray input;
    QStringList expected; // each answer, or the start of an error answer
    int exitCode = 0;
    QStringList received = {}; // what the running KEVA got
    bool kevaRuns = true;
    const char* clickCapture = nullptr;
    Input stdinAfterwards = Input::Closed;
};

// The real KEVA_IE_BHO as the browser starts it, over pipes, with a
// receiver window in this process standing for the running KEVA.
class KevaIeBhoPipes : public testing::TestWithParam<PipeCase> {
protected:
    // Runs the program on `input`; keeps this process's events going so that
    // the receiver answers the hand-off.
    void run(const QByteArray& input, Input afterwards)
    {
        host.start(TestHome::binFolder() + QStringLiteral("/KEVA_IE_BHO"),
                   {QStringLiteral("chrome-extension://ceagmpklabpbmilhhehhadijiocnanlh/")});
        ASSERT_TRUE(host.waitForStarted());
        host.write(input);
        if (afterwards == Input::Closed)
            host.closeWriteChannel();
        const QDeadlineTimer deadline(30000);
        while (host.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            host.waitForFinished(10);
        }
        ASSERT_EQ(host.state(), QProcess::NotRunning) << "the host ends by itself";
        // The receiver takes the text in right after it answered.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    TestHome home;
    QStringList received;
    // KEVA's intake: it refuses what it would not list.
    frmLocater receiver {[this](const QString& text) {
        received.append(text);
        return !text.contains(QStringLiteral("refused"));
    }};
    QProcess host;
};

const QString kTake = QStringLiteral(R"({"answer":"take"})");
const QString kPass = QStringLiteral(R"({"answer":"pass"})");
const QString kError = QStringLiteral(R"({"answer":"error","error":")");

TEST_P(KevaIeBhoPipes, AnswersTheBrowserAndHandsOverWhatItTakes)
{
    const PipeCase& c = GetParam();
    if (c.clickCapture) {
        Registry registry(home.registryFolder());
        CRegister(registry).REGSaveSetting(RegistryRoot::HKEY_LOCAL_MACHINE, CBrowserHelper::kKey,
                                           QStringLiteral("ClickCapture"), QString::fromUtf8(c.clickCapture));
    }
    if (c.kevaRuns) {
        ASSERT_TRUE(receiver.load());
    }

    run(c.input, c.stdinAfterwards);

    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit) << host.readAllStandardError().constData();
    EXPECT_EQ(host.exitCode(), c.exitCode);
    const QStringList got = answers(host.readAllStandardOutput());
    ASSERT_EQ(got.size(), c.expected.size()) << got.join(QLatin1Char('\n')).toStdString();
    for (qsizetype i = 0; i < got.size(); ++i)
        EXPECT_TRUE(got[i].startsWith(c.expected[i])) << got[i].toStdString();
    EXPECT_EQ(received, c.received);
}

QByteArray urlMessage(const char* url)
{
    return frame(QByteArray(R"({"url":")") + url + "\"}");
}

INSTANTIATE_TEST_SUITE_P(
    Conversations, KevaIeBhoPipes,
    testing::Values(
        PipeCase {.name = "ZipTakenAndReceived",
                  .input = urlMessage("http://127.0.0.1:8080/files/a.zip"),
                  .expected = {kTake},
                  .received = {QStringLiteral("http://127.0.0.1:8080/files/a.zip")}},
        PipeCase {.name = "CapitalsReceivedUnchanged",
                  .input = urlMessage("HTTPS://HOST.EXAMPLE/DIR/SETUP.EXE"),
                  .expected = {kTake},
                  .received = {QStringLiteral("HTTPS://HOST.EXAMPLE/DIR/SETUP.EXE")}},
        PipeCase {.name = "RefusedByKevaStaysWithTheBrowser",
                  .input = urlMessage("http://h/refused.zip"),
                  .expected = {kPass},
                  .received = {QStringLiteral("http://h/refused.zip")}},
        PipeCase {.name = "LineBreakIsNoUrl", .input = urlMessage("http://h/a\\nb.zip"), .expected = {kError}},
        PipeCase {.name = "NulIsNoUrl", .input = urlMessage("http://h/a\\u0000b.zip"), .expected = {kError}},
        PipeCase {.name = "BlankIsNoUrl", .input = urlMessage("http://h/a b.zip"), .expected = {kError}},
        PipeCase {.name = "PageLeftToTheBrowser", .input = urlMessage("http://h/index.html"), .expected = {kPass}},
        PipeCase {.name = "FolderLeftToTheBrowser", .input = urlMessage("http://h/files/"), .expected = {kPass}},
        PipeCase {
            .name = "KevaNotRunning", .input = urlMessage("http://h/a.zip"), .expected = {kPass}, .kevaRuns = false},
        PipeCase {.name = "CaptureSwitchedOff",
                  .input = urlMessage("http://h/a.zip"),
                  .expected = {kPass},
                  .clickCapture = "0"},
        PipeCase {.name = "MalformedThenGood",
                  .input = frame("{\"url\":") + urlMessage("ftp://h/b.zip"),
                  .expected = {kError + QStringLiteral("the message is not JSON"), kTake},
                  .received = {QStringLiteral("ftp://h/b.zip")}},
        // Over the limit, the host answers and ends although the browser
        // keeps its input open.
        PipeCase {.name = "OverTheLimitWithTheInputOpen",
                  .input = NativeMessageFrames::length(NativeMessageChannel::kMaxMessageBytes + 1)
                      + urlMessage("http://h/a.zip"),
                  .expected = {kError + QStringLiteral("a message of 1048577 bytes is over the limit")},
                  .exitCode = 1,
                  .stdinAfterwards = Input::LeftOpen},
        PipeCase {.name = "InputClosedAtOnce", .input = QByteArray(), .expected = {}},
        PipeCase {.name = "InputClosedInsideAMessage",
                  .input = urlMessage("http://h/a.zip").chopped(2),
                  .expected = {kError + QStringLiteral("the input ended inside a message")},
                  .exitCode = 1}),
    CaseName());

// The browser waits for each answer before it sends more or closes the
// input: every answer must come while the input is still open.
TEST(KevaIeBhoAnswers, EachAnswerComesWhileTheInputIsOpen)
{
    TestHome home;
    QProcess host;
    host.start(TestHome::binFolder() + QStringLiteral("/KEVA_IE_BHO"), {});
    ASSERT_TRUE(host.waitForStarted());
    for (const char* url : {"http://h/a.html", "http://h/b.zip"}) {
        host.write(urlMessage(url));
        QByteArray output;
        while (answers(output).isEmpty() || answers(output).constLast() == QStringLiteral("<broken>")) {
            ASSERT_TRUE(host.waitForReadyRead(20000)) << "no answer to " << url;
            output += host.readAllStandardOutput();
        }
        EXPECT_EQ(answers(output), QStringList {kPass}) << url;
    }
    host.closeWriteChannel();
    ASSERT_TRUE(host.waitForFinished(20000));
    EXPECT_EQ(host.exitCode(), 0);
}

// The browser went away before the answer: the write fails, and the host
// ends normally instead of being killed by the broken pipe.
TEST(KevaIeBhoBrowserGone, EndsNormallyWhenItsAnswerCannotBeDelivered)
{
    TestHome home;
    // Standard output is a pipe whose reading end is closed before the
    // program starts, and SIGPIPE has its default action, as in a browser.
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::close(pipeEnds[0]);
    QProcess host;
    host.setChildProcessModifier([writeEnd = pipeEnds[1]] {
        ::dup2(writeEnd, STDOUT_FILENO);
        ::signal(SIGPIPE, SIG_DFL);
    });
    host.start(TestHome::binFolder() + QStringLiteral("/KEVA_IE_BHO"), {});
    ::close(pipeEnds[1]);
    ASSERT_TRUE(host.waitForStarted());
    host.write(urlMessage("http://h/a.html"));
    host.closeWriteChannel();
    ASSERT_TRUE(host.waitForFinished(30000));
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.exitCode(), 1) << host.readAllStandardError().constData();
}

} // namespace
