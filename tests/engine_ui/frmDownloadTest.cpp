#include "engine/ui/frmDownload.h"

#include "core/SplitUrl.h"
#include "engine/DownloadJob.h"
#include "engine/JobList.h"
#include "engine/ResumeFile.h"
#include "engine/ui/frmServerData.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "support/CaptionCase.h"
#include "support/CaptionHelpers.h"
#include "support/CaseName.h"
#include "support/LocalFileServer.h"
#include "support/TestHome.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const QByteArray kFileContent = [] {
    QByteArray content(1000, '\0');
    for (int i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>('a' + i % 26);
    return content;
}();

// A job, the window over it, and the test's own program folder.
class frmDownloadTest : public testing::Test {
protected:
    void SetUp() override
    {
        context_ = &home.newContext();
        LoadSettings(*context_, LoadReason::Startup);
    }

    KevaContext& context() { return *context_; }

    // The language file must be in place first: the job takes its captions
    // when it is made.
    void makeWindow()
    {
        job = std::make_unique<DownloadJob>(context(), jobs);
        window = std::make_unique<frmDownload>(context().text, *job);
        window->show();
    }

    void start(const QString& url, FileExistsChoice existing = FileExistsChoice::Overwrite)
    {
        job->setTarget(url, home.path(QStringLiteral("file.bin")), SplitUrl(url, {}));
        job->StartDownload(existing);
    }

    template <typename Widget> Widget* control(const char* name) const { return NamedChild<Widget>(*window, name); }

    QString caption(const char* name) const { return ShownCaption(*window, QString::fromLatin1(name)); }

    static bool waitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 10000); }

    // Waits until the job has finished and the window shows it.
    bool waitForCompletion()
    {
        return waitFor([this] { return job->completed() && control<QPushButton>("cmdOpen")->isVisible(); });
    }

    int visibleSegmentBars() const
    {
        int visible = 0;
        for (const QProgressBar* bar : window->findChildren<QProgressBar*>(QStringLiteral("PVProgressBar")))
            visible += bar->isVisible() ? 1 : 0;
        return visible;
    }

    TestHome home;
    JobList jobs;
    std::unique_ptr<DownloadJob> job;
    std::unique_ptr<frmDownload> window;

private:
    KevaContext* context_ = nullptr;
};

// ---------------------------------------------------------------------------
// Captions

const CaptionCase kCaptions[] = {
    {"Window", "04000", "", "Download Window"},
    {"Frame2", "04001", "Frame2", "File Info"},
    {"Label1", "04002", "Label1", "Saving To:"},
    {"Label2", "04003", "Label2", "URL:"},
    {"Label3", "04004", "Label3", "Resume:"},
    {"Label4", "04005", "Label4", "File Size:"},
    {"Label6", "04006", "Label6", "Received Size:"},
    {"Label5", "04007", "Label5", "Time Remaining:"},
    {"Label7", "04008", "Label7", "Elapsed Time:"},
    {"Label8", "04009", "Label8", "Transfer Rate:"},
    {"cmdOpen", "04010", "cmdOpen", "&Open"},
    {"cmdGotoDir", "04011", "cmdGotoDir", "&Go To Dir"},
    {"cmdPause", "04012", "cmdPause", "&Pause"},
    {"cmdStop", "04014", "cmdStop", "&Stop"},
    {"cmdMore", "04016", "cmdMore", "More..."},
    {"interactdata_mnu", "04017", "interactdata_mnu", "Server Interaction Info"},
};

class frmDownloadCaptions : public frmDownloadTest, public testing::WithParamInterface<CaptionCase> { };

TEST_P(frmDownloadCaptions, ShowTheTextOfTheirKey)
{
    WriteNumberedLanguageFile(home, CaptionCase::keys(kCaptions) << QStringLiteral("04013") << QStringLiteral("04015"));
    makeWindow();
    EXPECT_EQ(caption(GetParam().control), GetParam().numbered());
}

TEST_P(frmDownloadCaptions, ShowTheShippedEnglishText)
{
    InstallShippedLanguageFile(home);
    makeWindow();
    EXPECT_EQ(caption(GetParam().control), QString::fromUtf8(GetParam().english));
}

TEST_P(frmDownloadCaptions, KeepTheBuiltInTextWhenTheLanguageFilesAreOff)
{
    WriteNumberedLanguageFile(home, CaptionCase::keys(kCaptions) << QStringLiteral("04013") << QStringLiteral("04015"));
    context().text.setLanguagePackUnavailable();
    makeWindow();
    EXPECT_EQ(caption(GetParam().control), QString::fromUtf8(GetParam().english));
}

INSTANTIATE_TEST_SUITE_P(Controls, frmDownloadCaptions, testing::ValuesIn(kCaptions), CaseName());

// Right to left, with the address, the path and the figures reading left to
// right as they are written.
TEST_F(frmDownloadTest, ArabicLaysTheWindowOutRightToLeft)
{
    context().text.setLanguageFile(QStringLiteral("Arabic.ini"));
    LocalFileServer server(kFileContent);
    makeWindow();
    EXPECT_EQ(window->layoutDirection(), Qt::RightToLeft);
    start(server.url(QStringLiteral("file.bin")));
    ASSERT_TRUE(waitForCompletion());
    EXPECT_EQ(home.readFile(QStringLiteral("file.bin")), kFileContent);
    EXPECT_EQ(window->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(control<QLineEdit>("txtURL")->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(control<QLineEdit>("txtSaveTo")->layoutDirection(), Qt::LeftToRight);
    const QString isolate(QChar(0x2066)), end(QChar(0x2069));
    EXPECT_EQ(caption("lblFileSize"), isolate + job->view().lblFileSize + end);
    EXPECT_EQ(caption("lblTransferRate"), isolate + job->view().lblTransferRate + end);
    EXPECT_EQ(caption("lblPer"), isolate + QStringLiteral("100%") + end);
}

TEST_F(frmDownloadTest, OtherLanguagesLayTheWindowOutLeftToRight)
{
    makeWindow();
    EXPECT_EQ(window->layoutDirection(), Qt::LeftToRight);
}

// ---------------------------------------------------------------------------
// State shown

TEST_F(frmDownloadTest, AFailedProbeShowsItsStatusInRedAndOffersClose)
{
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    makeWindow();
    auto* status = control<QLabel>("lblStatus");
    const QColor normal = status->palette().color(QPalette::WindowText);
    ASSERT_NE(normal, QColor(Qt::red));

    start(QStringLiteral("http://127.0.0.1:%1/file.bin").arg(closedPort));
    ASSERT_TRUE(waitFor([&] { return !status->text().isEmpty(); }));
    EXPECT_EQ(status->text(), job->view().lblStatus);
    EXPECT_TRUE(job->view().lblStatusIsError);
    EXPECT_EQ(status->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_FALSE(control<QPushButton>("cmdPause")->isEnabled());
    // Stop has turned into Close, which closes the window.
    auto* close = control<QPushButton>("cmdStop");
    ASSERT_TRUE(close->isEnabled());
    EXPECT_EQ(caption("cmdStop"), QStringLiteral("&Close"));
    close->click();
    EXPECT_TRUE(waitFor([&] { return !window->isVisible(); }));
    EXPECT_EQ(job->view().lblStatus, status->text()) << "the reason stays";
}

TEST_F(frmDownloadTest, ACompletedDownloadShowsItsFiguresAndOffersOpenAndGoToDir)
{
    InstallShippedLanguageFile(home);
    LocalFileServer server(kFileContent);
    server.sendBodies = false;
    makeWindow();
    start(server.url(QStringLiteral("file.bin")));
    auto* url = control<QLineEdit>("txtURL");
    ASSERT_TRUE(waitFor([&] { return job->isTransferring() && !url->text().isEmpty(); }));
    EXPECT_EQ(url->text(), server.url(QStringLiteral("file.bin")));
    EXPECT_EQ(control<QLineEdit>("txtSaveTo")->text(), home.path(QStringLiteral("file.bin")));
    EXPECT_TRUE(url->isReadOnly());
    EXPECT_TRUE(control<QLineEdit>("txtSaveTo")->isReadOnly());
    EXPECT_FALSE(control<QPushButton>("cmdOpen")->isVisible());
    EXPECT_FALSE(control<QPushButton>("cmdGotoDir")->isVisible());
    EXPECT_TRUE(control<QPushButton>("cmdPause")->isEnabled());
    EXPECT_EQ(caption("cmdStop"), QStringLiteral("&Stop"));

    // Reconnecting lets the bodies through.
    server.sendBodies = true;
    job->Pause_Resume();
    job->Pause_Resume();
    ASSERT_TRUE(waitForCompletion());
    EXPECT_EQ(home.readFile(QStringLiteral("file.bin")), kFileContent);
    EXPECT_TRUE(control<QPushButton>("cmdGotoDir")->isVisible());
    EXPECT_FALSE(control<QPushButton>("cmdPause")->isEnabled());
    EXPECT_EQ(caption("cmdStop"), QStringLiteral("&Close"));
    EXPECT_EQ(caption("lblStatus"), QStringLiteral("Transfer Completed..."));
    EXPECT_NE(control<QLabel>("lblStatus")->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(caption("lblPer"), QStringLiteral("100%"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("file.bin [100%]"));
    // Every figure the job shows is on the window.
    const DownloadJob::Display& view = job->view();
    EXPECT_EQ(caption("lblFileSize"), view.lblFileSize);
    EXPECT_EQ(caption("lblRecievedSize"), view.lblRecievedSize);
    EXPECT_EQ(caption("lblTransferRate"), view.lblTransferRate);
    EXPECT_EQ(caption("lblTimeRemaining"), view.lblTimeRemaining);
    EXPECT_EQ(caption("lblElapsedTime"), view.lblElapsedTime);
    EXPECT_EQ(caption("lblResume"), view.lblResume);
    EXPECT_EQ(caption("lblTimer"), view.lblTimer);
    EXPECT_FALSE(view.lblFileSize.isEmpty());
    EXPECT_FALSE(view.lblResume.isEmpty());
}

TEST_F(frmDownloadTest, OpenAndGoToDirOpenTheFileAndItsFolder)
{
    LocalFileServer server(kFileContent);
    makeWindow();
    start(server.url(QStringLiteral("file.bin")));
    ASSERT_TRUE(waitForCompletion());
    control<QPushButton>("cmdOpen")->click();
    control<QPushButton>("cmdGotoDir")->click();
    EXPECT_EQ(home.shell.opened, QStringList({home.path(QStringLiteral("file.bin")), home.path(QString()).chopped(1)}));
}

TEST_F(frmDownloadTest, AStartPutsTheFocusOnPause)
{
    LocalFileServer server(kFileContent);
    server.sendBodies = false;
    makeWindow();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    control<QLineEdit>("txtURL")->setFocus();
    start(server.url(QStringLiteral("file.bin")));
    EXPECT_TRUE(waitFor([&] { return control<QPushButton>("cmdPause")->hasFocus(); })) << "Space pauses";
}

TEST_F(frmDownloadTest, PauseAndResumeSwapTheCaptionOfPause)
{
    LocalFileServer server(kFileContent);
    server.sendBodies = false;
    makeWindow();
    start(server.url(QStringLiteral("file.bin")));
    ASSERT_TRUE(waitFor([&] { return job->isTransferring(); }));
    auto* pause = control<QPushButton>("cmdPause");
    auto* stop = control<QPushButton>("cmdStop");

    pause->click();
    EXPECT_TRUE(waitFor([&] { return pause->text() == QStringLiteral("&Resume"); }));
    EXPECT_FALSE(stop->isEnabled());
    EXPECT_FALSE(job->isTransferring());

    pause->click();
    EXPECT_TRUE(waitFor([&] { return pause->text() == QStringLiteral("&Pause"); }));
    EXPECT_TRUE(stop->isEnabled());
    EXPECT_TRUE(job->isTransferring());
}

// ---------------------------------------------------------------------------
// Segment bars

// Pause, resume and stop of a segmented download in the window; a later
// start with the resume choice goes on from the resume data, byte-exact.
TEST_F(frmDownloadTest, ASegmentedDownloadPausesResumesStopsAndGoesOnLater)
{
    AppSettings& settings = context().appSettings;
    settings.Segment = 1;
    settings.SegmentSize.fill(0);
    settings.SegmentSize[2] = 2000; // 1000 bytes: two segments
    LocalFileServer server(kFileContent);
    server.sendBodies = false;
    server.heldAfter = 100; // a part of each segment, kept by the resume data
    makeWindow();
    start(server.url(QStringLiteral("file.bin")));
    ASSERT_TRUE(waitFor([&] { return job->isTransferring(); }));
    EXPECT_TRUE(waitFor([&] { return visibleSegmentBars() == 2; }));
    ASSERT_TRUE(waitFor([&] { return job->receivedBytes() == 200; }));
    auto* pause = control<QPushButton>("cmdPause");
    auto* stop = control<QPushButton>("cmdStop");

    pause->click();
    EXPECT_TRUE(waitFor([&] { return pause->text() == QStringLiteral("&Resume"); }));
    pause->click();
    EXPECT_TRUE(waitFor([&] { return pause->text() == QStringLiteral("&Pause") && job->isTransferring(); }));

    stop->click();
    EXPECT_TRUE(home.prompter.shown.isEmpty()) << "the download can go on later: nothing to warn of";
    EXPECT_TRUE(waitFor([&] { return stop->text() == QStringLiteral("&Close"); }));
    EXPECT_FALSE(control<QPushButton>("cmdOpen")->isVisible()) << "nothing whole to open";
    EXPECT_EQ(control<QLabel>("lblStatus")->text(), QStringLiteral("Paused/Stopped"));
    ASSERT_TRUE(QFile::exists(ResumeFile::pathFor(home.path(QStringLiteral("file.bin")))));

    server.sendBodies = true;
    start(server.url(QStringLiteral("file.bin")), FileExistsChoice::Resume);
    ASSERT_TRUE(waitForCompletion());
    EXPECT_EQ(job->segmentTable().NumSegments, 2) << "each segment went on from the resume data";
    EXPECT_EQ(home.readFile(QStringLiteral("file.bin")), kFileContent);
}

struct SegmentCase {
    const char* name;
    int segments; // 0: one connection
    bool wholeFileBar;
    int segmentBars;
};

class frmDownloadSegments : public frmDownloadTest, public testing::WithParamInterface<SegmentCase> { };

// The bounds are set so that the 1000-byte file falls into the range of the
// wanted number of segments.
TEST_P(frmDownloadSegments, ShowOneBarPerSegmentAndTheWholeFileBarOnlyWhenSplit)
{
    const SegmentCase& c = GetParam();
    AppSettings& settings = context().appSettings;
    settings.Segment = c.segments > 0 ? 1 : 0;
    settings.SegmentSize.fill(0);
    if (c.segments >= 2 && c.segments < 6)
        settings.SegmentSize[static_cast<std::size_t>(2 * (c.segments - 1))] = 2000;

    LocalFileServer server(kFileContent);
    makeWindow();
    EXPECT_EQ(visibleSegmentBars(), 0);
    start(server.url(QStringLiteral("file.bin")));
    ASSERT_TRUE(waitForCompletion());
    EXPECT_EQ(job->segmentTable().NumSegments, c.segments);
    EXPECT_EQ(home.readFile(QStringLiteral("file.bin")), kFileContent);
    EXPECT_EQ(control<QProgressBar>("ProgressBar1")->isVisible(), c.wholeFileBar);
    EXPECT_EQ(visibleSegmentBars(), c.segmentBars);
    const auto bars = window->findChildren<QProgressBar*>(QStringLiteral("PVProgressBar"));
    ASSERT_EQ(bars.size(), 6);
    for (int i = 0; i < c.segmentBars; ++i)
        EXPECT_EQ(bars[i]->value(), 100) << "bar " << i;
}

INSTANTIATE_TEST_SUITE_P(Counts, frmDownloadSegments,
                         testing::Values(SegmentCase {"OneConnection", 0, false, 1}, SegmentCase {"Two", 2, true, 2},
                                         SegmentCase {"Three", 3, true, 3}, SegmentCase {"Four", 4, true, 4},
                                         SegmentCase {"Five", 5, true, 5}, SegmentCase {"Six", 6, true, 6}),
                         CaseName());

// ---------------------------------------------------------------------------
// More menu and server data

TEST_F(frmDownloadTest, MoreOpensItsMenuBelowTheButton)
{
    makeWindow();
    auto* more = control<QPushButton>("cmdMore");
    auto* menu = control<QMenu>("mnuMore");
    more->click();
    ASSERT_TRUE(waitFor([&] { return menu->isVisible(); }));
    EXPECT_EQ(menu->pos(), more->mapToGlobal(QPoint(0, more->height())));
    menu->hide();
}

TEST_F(frmDownloadTest, ServerInteractionInfoShowsTheExchangeWithTheServer)
{
    LocalFileServer server(kFileContent);
    makeWindow();
    start(server.url(QStringLiteral("file.bin")));
    ASSERT_TRUE(waitForCompletion());
    ASSERT_TRUE(job->interactionLog().contains(QStringLiteral("Content-Range: bytes 0-999/1000")));

    control<QAction>("interactdata_mnu")->trigger();
    auto* shown = window->findChild<frmServerData*>();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->findChild<QPlainTextEdit*>(QStringLiteral("txtServerData"))->toPlainText(),
              QString(job->interactionLog()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

// ---------------------------------------------------------------------------
// Closing

TEST_F(frmDownloadTest, ClosingTheWindowUnloadsTheJob)
{
    LocalFileServer server(kFileContent);
    server.sendBodies = false;
    makeWindow();
    start(server.url(QStringLiteral("file.bin")));
    ASSERT_TRUE(waitFor([&] { return job->isTransferring(); }));
    bool unloaded = false;
    QObject::connect(job.get(), &DownloadJob::unloaded, [&] { unloaded = true; });

    window->close();
    EXPECT_TRUE(unloaded);
    EXPECT_FALSE(job->isTransferring());
    EXPECT_FALSE(job->view().visible);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(frmDownloadTest, AnUnloadedJobHidesItsWindow)
{
    makeWindow();
    start(QStringLiteral("http://127.0.0.1:9/file.bin"), FileExistsChoice::Keep); // the job unloads at once
    EXPECT_FALSE(window->isVisible());
}

TEST_F(frmDownloadTest, CloseAfterCompletionUnloadsTheJob)
{
    LocalFileServer server(kFileContent);
    makeWindow();
    start(server.url(QStringLiteral("file.bin")));
    ASSERT_TRUE(waitForCompletion());
    control<QPushButton>("cmdStop")->click();
    EXPECT_FALSE(window->isVisible());
}

// ---------------------------------------------------------------------------
// One window per job

TEST_F(frmDownloadTest, ShowForGivesEachJobOneWindowThatGoesWithTheJob)
{
    job = std::make_unique<DownloadJob>(context(), jobs);
    QPointer<frmDownload> first = frmDownload::showFor(context().text, *job);
    ASSERT_FALSE(first.isNull());
    EXPECT_TRUE(first->isVisible());
    first->hide();
    EXPECT_EQ(frmDownload::showFor(context().text, *job), first.data());
    EXPECT_TRUE(first->isVisible());

    DownloadJob other(context(), jobs);
    EXPECT_NE(frmDownload::showFor(context().text, other), first.data());

    job.reset();
    EXPECT_TRUE(first.isNull());
}

// Each shipped language: the window shows its texts, right to left for Arabic.
class frmDownloadLanguages : public frmDownloadTest, public testing::WithParamInterface<const char*> { };

TEST_P(frmDownloadLanguages, ShowTheShippedTexts)
{
    UseShippedLanguage(home, context(), GetParam());
    makeWindow();
    ExpectShippedLanguageTexts(*window, GetParam(),
                               {{"", "04000"},
                                {"Frame2", "04001"},
                                {"Label1", "04002"},
                                {"Label3", "04004"},
                                {"Label4", "04005"},
                                {"Label6", "04006"},
                                {"Label5", "04007"},
                                {"Label7", "04008"},
                                {"Label8", "04009"},
                                {"cmdOpen", "04010"},
                                {"cmdGotoDir", "04011"},
                                {"cmdPause", "04012"},
                                {"cmdStop", "04014"},
                                {"cmdMore", "04016"},
                                {"interactdata_mnu", "04017"}});
}

INSTANTIATE_TEST_SUITE_P(Shipped, frmDownloadLanguages, testing::ValuesIn(kShippedLanguages), ShippedLanguageName());

// A language chosen while the window is open shows at its next caption run,
// when the window is activated.
TEST_F(frmDownloadTest, TakesAnotherLanguageWhenActivated)
{
    home.installLanguageFiles();
    makeWindow();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    context().text.setLanguageFile(QStringLiteral("German.ini"));
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(caption("cmdMore"), QStringLiteral("More...")) << "not before its caption run";
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_TRUE(QTest::qWaitFor([this] { return caption("cmdMore") == QStringLiteral("Mehr..."); }, 2000));
}

} // namespace
