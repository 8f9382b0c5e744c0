#include "intake/AddUrlState.h"

#include "engine/DownloadWindows.h"
#include "intake/IntakeSession.h"
#include "intake/SavePaths.h"
#include "intake/SavePromptState.h"
#include "intake/UrlCutting.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"

#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <optional>

namespace {

const QDate kToday(2026, 12, 6);

class AddUrlTest : public testing::Test {
public:
    void SetUp() override
    {
        context = &home.newContext();
        LoadSettings(*context, LoadReason::Startup);
        context->dialogSettings.lastSavePath = home.path(QStringLiteral("saved/last.bin"));
        windows = std::make_unique<DownloadWindows>(*context, lstMain);
        dialog = std::make_unique<AddUrlState>(*context, intake, *windows, lstMain, lstAll, [] { return kToday; });
        dialog->showSavePrompt = [this](const QString& url, const JobList::Row&, const BrowserSession&) {
            prompts.append(url);
        };
    }
    // A job that connects (nothing answers before the test ends).
    void startRunning(const QString& url)
    {
        int row = -1;
        ASSERT_TRUE(windows->StartJob(url, home.path(QStringLiteral("running/") + GetFileName(url)), row));
    }
    // A row that holds no connection: failed, or listed by an earlier run.
    void addRow(const QString& url, const QString& percent)
    {
        lstMain.addRow({QStringLiteral("/d/x"), percent, QStringLiteral("N/A"), QStringLiteral("N/A"), QString(), url});
    }

    TestHome home;
    KevaContext* context = nullptr;
    IntakeSession intake;
    JobList lstMain;
    JobList lstAll;
    std::unique_ptr<DownloadWindows> windows;
    std::unique_ptr<AddUrlState> dialog;
    QStringList prompts;
};

// Every stop and every start of the OK path.
struct OkCase {
    const char* name;
    const char* url;
    std::function<void(AddUrlTest&)> setUp;
    const char* message; // the message box, empty for none
    const char* title;
    int rowsAdded;
    const char* rowPath;    // sub-item 1 of the added row
    const char* rowPercent; // sub-item 2 of the added row
    int promptsShown;
    bool accepted; // a later URL is no longer the session's first
};

class AddUrlOk : public AddUrlTest, public testing::WithParamInterface<OkCase> { };

TEST_P(AddUrlOk, StopsOrStartsAsTheChecksSay)
{
    const OkCase& c = GetParam();
    if (c.setUp)
        c.setUp(*this);
    const int rowsBefore = lstMain.rowCount();
    EXPECT_EQ(dialog->DownLoadURL(QString::fromUtf8(c.url)), c.rowsAdded > 0 || c.promptsShown > 0);
    // What follows the answer to the sender: a message box, a start.
    QCoreApplication::processEvents();

    if (*c.message) {
        ASSERT_EQ(home.prompter.shown.size(), 1);
        EXPECT_EQ(home.prompter.shown[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(home.prompter.shown[0].caption, QString::fromUtf8(c.title));
        EXPECT_EQ(home.prompter.shown[0].icon, Prompter::Icon::Exclamation);
    } else {
        EXPECT_TRUE(home.prompter.shown.isEmpty());
    }
    EXPECT_EQ(lstMain.rowCount() - rowsBefore, c.rowsAdded);
    if (c.rowsAdded > 0) {
        const JobList::Row row = lstMain.row(lstMain.rowCount());
        EXPECT_EQ(row->subItem(1),
                  QString::fromUtf8(c.rowPath).replace(QStringLiteral("$HOME/"), home.path(QString())));
        EXPECT_EQ(row->subItem(2), QString::fromUtf8(c.rowPercent));
        EXPECT_EQ(row->subItem(6), QString::fromUtf8(c.url));
    }
    EXPECT_EQ(prompts.size(), c.promptsShown);
    EXPECT_EQ(!intake.takeFirstUrl(), c.accepted);
    EXPECT_FALSE(dialog->visible);
}

void acceptedBefore(AddUrlTest& test)
{
    test.intake.takeFirstUrl();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddUrlOk,
    testing::Values(
        OkCase {"NoScheme", "www.example.org/f.zip", {}, "Invalid URL", "Quillspan", 0, "", "", 0, false},
        OkCase {"OtherScheme", "gopher://h/f.zip", {}, "Invalid URL", "Quillspan", 0, "", "", 0, false},
        OkCase {"LineBreak", "http://h/a\nb.zip", {}, "Invalid URL", "Quillspan", 0, "", "", 0, false},
        OkCase {"HttpsIsAnHttpScheme", "https://h/f.zip", {}, "", "", 1, "$HOME/saved/f.zip", "0%", 1, true},
        OkCase {"HostNoValidName", "http://bü cher.example/f.zip", {}, "Invalid URL", "Quillspan", 0, "", "", 0, false},
        OkCase {"UnicodeHostListedAsTyped",
                "https://bücher.example/f.zip",
                {},
                "",
                "",
                1,
                "$HOME/saved/f.zip",
                "0%",
                1,
                true},
        OkCase {"ShortFtp", "ftp://a", {}, "Invalid URL", "Quillspan", 0, "", "", 0, false},
        OkCase {"BadExtension", "http://h/get.php?id=7", {}, "Invalid File URL...", "Inalid URL", 0, "", "", 0, false},
        OkCase {"NoExtension", "http://h/download", {}, "Invalid File URL...", "Inalid URL", 0, "", "", 0, false},
        OkCase {"NoPath", "http://h", {}, "Invalid File URL...", "Inalid URL", 0, "", "", 0, false},
        OkCase {"SiteModeNeedsAPage", "http://h/f.zip", [](AddUrlTest& test) { test.intake.beginSiteDownload(); },
                "Invalid Site URL...", "Inalid URL", 0, "", "", 0, false},
        OkCase {"SiteStartPageWhateverTheMonitoredTypes", "http://h/index.html",
                [](AddUrlTest& test) { test.intake.beginSiteDownload(); }, "", "", 1, "$HOME/saved/index.html", "0%", 1,
                true},
        OkCase {"OverTheLimit", "http://127.0.0.1:9/f.zip",
                [](AddUrlTest& test) {
                    test.context->dialogSettings.txtLimitHTTP = QStringLiteral("1");
                    test.startRunning(QStringLiteral("http://127.0.0.1:9/a.zip"));
                    test.startRunning(QStringLiteral("http://127.0.0.1:9/b.zip"));
                },
                "", "", 1, "$HOME/saved/f.zip", "0%", 0, false},
        OkCase {"AtTheLimitStillStarts", "http://127.0.0.1:9/f.zip",
                [](AddUrlTest& test) {
                    test.context->dialogSettings.txtLimitHTTP = QStringLiteral("1");
                    test.startRunning(QStringLiteral("http://127.0.0.1:9/a.zip"));
                    test.startRunning(QStringLiteral("http://127.0.0.1:10/b.zip"));
                },
                "", "", 1, "$HOME/saved/f.zip", "0%", 1, true},
        OkCase {"RowsWithoutAConnectionDoNotCount", "http://h/f.zip",
                [](AddUrlTest& test) {
                    test.context->dialogSettings.txtLimitHTTP = QStringLiteral("0");
                    test.addRow(QStringLiteral("http://h/failed.zip"), QStringLiteral("0 %"));
                    test.addRow(QStringLiteral("http://h/last-run.zip"), QStringLiteral("52%"));
                },
                "", "", 1, "$HOME/saved/f.zip", "0%", 1, true},
        OkCase {"BlockedServer", "http://h/f.zip",
                [](AddUrlTest& test) { test.context->dialogSettings.txtMonitorServer = QStringLiteral("x ; h"); }, "",
                "", 1, "You block this server", "0 %", 0, false},
        OkCase {"TypeNotMonitored", "http://h/notes.txt", {}, "", "", 0, "", "", 0, false},
        OkCase {"FirstUrlAsks", "HTTP://h/f.zip", {}, "", "", 1, "$HOME/saved/f.zip", "0%", 1, true},
        OkCase {"PromptOption", "http://h/f.zip", acceptedBefore, "", "", 1, "$HOME/saved/f.zip", "0%", 1, true},
        OkCase {"LaterOption", "http://h/f.zip",
                [](AddUrlTest& test) {
                    acceptedBefore(test);
                    test.context->appSettings.DownloadPromptOption = false;
                    test.context->appSettings.DownloadLaterOption = true;
                },
                "", "", 1, "$HOME/saved/f.zip", "0%", 0, true},
        OkCase {"NowOption", "http://127.0.0.1:9/f.zip",
                [](AddUrlTest& test) {
                    acceptedBefore(test);
                    test.context->appSettings.DownloadPromptOption = false;
                    test.context->appSettings.DownloadNowOption = true;
                },
                "", "", 1, "$HOME/saved/f.zip", "0%", 0, true}),
    CaseName());

// A file type outside the monitored list: the user who typed the URL is told
// why and may take it all the same; one handed over (capture, second start,
// drop) passes by silently and is not listed.
struct UnmonitoredCase {
    const char* name;
    const char* url;
    const char* type; // as the message names it; empty for none
    const char* savedAs;
};

class AddUrlUnmonitored : public AddUrlTest, public testing::WithParamInterface<UnmonitoredCase> { };

TEST_P(AddUrlUnmonitored, TypedUrlIsToldWhy)
{
    const QString url = QString::fromUtf8(GetParam().url);
    dialog->load();
    dialog->visible = true; // as its window shows it
    dialog->txtURL = url;
    home.prompter.script({Prompter::Answer::No});
    dialog->OK();
    ASSERT_EQ(home.prompter.shown.size(), 1);
    const QString text = home.prompter.shown[0].text;
    if (*GetParam().type) {
        EXPECT_TRUE(text.contains(QStringLiteral("\"%1\"").arg(QString::fromUtf8(GetParam().type))))
            << text.toStdString();
    }
    EXPECT_TRUE(text.contains(url)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Settings \u203A Monitoring"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("Download it anyway?"))) << text.toStdString();
    EXPECT_EQ(home.prompter.shown[0].caption, QStringLiteral("Quillspan"));
    EXPECT_EQ(home.prompter.shown[0].buttons, Prompter::Buttons::YesNo);
    EXPECT_EQ(lstMain.rowCount(), 0);
    EXPECT_TRUE(prompts.isEmpty());
    EXPECT_TRUE(intake.takeFirstUrl()) << "a refused URL is not the session's first";
    EXPECT_TRUE(dialog->visible) << "the user may mend the URL";

    home.prompter.script({Prompter::Answer::Yes});
    dialog->OK();
    ASSERT_EQ(lstMain.rowCount(), 1);
    EXPECT_EQ(lstMain.row(1)->subItem(JobColumn::Url), url);
    EXPECT_EQ(lstMain.row(1)->subItem(1), home.path(QStringLiteral("saved/")) + QString::fromUtf8(GetParam().savedAs));
    EXPECT_EQ(prompts, QStringList {url});
    EXPECT_FALSE(dialog->visible);
}

TEST_P(AddUrlUnmonitored, HandedOverUrlPassesSilently)
{
    dialog->DownLoadURL(QString::fromUtf8(GetParam().url));
    EXPECT_TRUE(home.prompter.shown.isEmpty());
    EXPECT_EQ(lstMain.rowCount(), 0);
    EXPECT_TRUE(prompts.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Types, AddUrlUnmonitored,
    testing::Values(UnmonitoredCase {"Iso", "http://h/debian-12.iso", ".iso", "debian-12.iso"},
                    UnmonitoredCase {"Xz", "http://h/linux.tar.xz", ".xz", "linux.tar.xz"},
                    UnmonitoredCase {"Deb", "ftp://ftp.example.org/pool/p_1.0_amd64.deb", ".deb", "p_1.0_amd64.deb"},
                    UnmonitoredCase {"SevenZip", "http://h/archive.7z", ".7z", "archive.7z"},
                    UnmonitoredCase {"PdfUpperCase", "http://h/Manual.PDF", ".pdf", "Manual.PDF"},
                    UnmonitoredCase {"Script", "http://h/download.php?id=7", ".php", "download.php"},
                    UnmonitoredCase {"NoType", "http://h/latest", "", "latest"}),
    CaseName());

const QString kMd5 = QStringLiteral("d41d8cd98f00b204e9800998ecf8427e");
const QString kSha1 = QStringLiteral("da39a3ee5e6b4b0d3255bfef95601890afd80709");

struct ChecksumCase {
    const char* name;
    QString typed;
    QString field;
    QString prompted; // the URL the save prompt gets; empty: refused with a message
};

class AddUrlChecksum : public AddUrlTest, public testing::WithParamInterface<ChecksumCase> { };

// The checksum field goes with the URL as its fragment, over one the URL
// has; the row and the file name have no fragment. A value that is no
// checksum is told, and the dialog stays.
TEST_P(AddUrlChecksum, GoesWithTheUrlAsItsFragment)
{
    const ChecksumCase& c = GetParam();
    dialog->load();
    dialog->visible = true;
    dialog->txtURL = c.typed;
    dialog->txtChecksum = c.field;
    dialog->OK();
    EXPECT_EQ(prompts, c.prompted.isEmpty() ? QStringList() : QStringList {c.prompted});
    EXPECT_EQ(home.prompter.shown.size(), c.prompted.isEmpty() ? 1 : 0);
    EXPECT_EQ(dialog->visible, c.prompted.isEmpty());
    EXPECT_EQ(lstMain.rowCount(), c.prompted.isEmpty() ? 0 : 1);
    if (lstMain.rowCount() == 1) {
        EXPECT_EQ(lstMain.row(1)->subItem(JobColumn::Url), QStringLiteral("http://h/f.zip"));
        EXPECT_EQ(lstMain.row(1)->subItem(JobColumn::SavePath), home.path(QStringLiteral("saved/f.zip")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddUrlChecksum,
    testing::Values(
        ChecksumCase {"FromTheField", QStringLiteral("http://h/f.zip"), QStringLiteral(" MD5=") + kMd5.toUpper(),
                      QStringLiteral("http://h/f.zip#md5=") + kMd5},
        ChecksumCase {"FromTheFragment", QStringLiteral("http://h/f.zip#md5=") + kMd5, QString(),
                      QStringLiteral("http://h/f.zip#md5=") + kMd5},
        ChecksumCase {"TheFieldOverTheFragment", QStringLiteral("http://h/f.zip#md5=") + kMd5,
                      QStringLiteral("sha1=") + kSha1, QStringLiteral("http://h/f.zip#sha1=") + kSha1},
        ChecksumCase {"ABadField", QStringLiteral("http://h/f.zip"), QStringLiteral("sha256=12"), QString()},
        ChecksumCase {"ABadFragment", QStringLiteral("http://h/f.zip#sha1=xyz"), QString(), QString()}),
    CaseName());

TEST_F(AddUrlTest, LoadFillsTheHistoryAndTakesAUrlFromTheClipboard)
{
    lstMain.addRow({QStringLiteral("/d/a"), QStringLiteral("0%"), {}, {}, {}, QStringLiteral("http://h/a.zip")});
    lstAll.addRow({QStringLiteral("/d/b"), QStringLiteral("100%"), {}, {}, {}, QStringLiteral("http://h/b.zip")});
    dialog->clipboardText = [] { return QStringLiteral("  see http://h/c.zip  "); };
    dialog->load();
    EXPECT_EQ(dialog->txtURLItems, (QStringList {QStringLiteral("http://h/a.zip"), QStringLiteral("http://h/b.zip")}));
    EXPECT_EQ(dialog->txtURL, QStringLiteral("see http://h/c.zip")) << "whole, only trimmed";
    dialog->clipboardText = [] { return QStringLiteral("https://h/d.zip"); };
    dialog->load();
    EXPECT_EQ(dialog->txtURL, QStringLiteral("https://h/d.zip"));
    dialog->clipboardText = [] { return QStringLiteral("  see http://h/c.zip  "); };

    context->appSettings.ClipboardMonitoring = false;
    dialog->load();
    EXPECT_TRUE(dialog->txtURL.isEmpty());
    dialog->clipboardText = [] { return QStringLiteral("no address here"); };
    context->appSettings.ClipboardMonitoring = true;
    dialog->load();
    EXPECT_TRUE(dialog->txtURL.isEmpty());
}

// Only Cancel says that the dialog went without a URL; an OK that passed
// the checks closes it too.
TEST_F(AddUrlTest, OnlyCancelIsACancel)
{
    int closed = 0;
    int cancelled = 0;
    QObject::connect(dialog.get(), &AddUrlState::closed, [&] { ++closed; });
    QObject::connect(dialog.get(), &AddUrlState::cancelled, [&] { ++cancelled; });
    dialog->load();
    dialog->txtURL = QStringLiteral("http://h/f.zip");
    dialog->OK();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(cancelled, 0);
    dialog->load();
    dialog->Cancel();
    EXPECT_EQ(closed, 2);
    EXPECT_EQ(cancelled, 1);
}

// A burst of hand-offs while the first one's save prompt is open: every URL
// is listed at once, in order, under its own name, and the prompts follow
// one at a time, each with its own URL and row.
TEST_F(AddUrlTest, EveryHandedOverUrlIsListedWhateverThePromptsDo)
{
    SavePromptState prompt(*context, *windows);
    QStringList asked;
    prompt.askSavePath = [&](const QString&, const QString& proposed) -> std::optional<QString> {
        asked.append(prompt.txtURL);
        // Links keep coming while the first prompt asks.
        if (asked.size() == 1) {
            for (int n = 2; n <= 400; ++n)
                EXPECT_TRUE(dialog->DownLoadURL(QStringLiteral("http://h/link%1.zip").arg(n)));
            EXPECT_EQ(lstMain.rowCount(), 400) << "listed before any prompt was answered";
        }
        return proposed;
    };
    dialog->showSavePrompt = [&](const QString& url, const JobList::Row& row, const BrowserSession& session) {
        prompt.ask(url, row, session);
    };
    context->appSettings.DownloadPromptOption = true;
    EXPECT_TRUE(dialog->DownLoadURL(QStringLiteral("http://h/link1.zip")));
    EXPECT_EQ(lstMain.rowCount(), 1);
    for (int answered = 0; answered < 400; ++answered) {
        QCoreApplication::processEvents();
        ASSERT_TRUE(prompt.busy()) << answered;
        prompt.downloadLater();
    }
    ASSERT_EQ(lstMain.rowCount(), 400);
    for (int n = 1; n <= 400; ++n) {
        const QString name = QStringLiteral("link%1.zip").arg(n);
        EXPECT_EQ(asked.value(n - 1), QStringLiteral("http://h/") + name);
        EXPECT_EQ(lstMain.row(n)->subItem(JobColumn::Url), QStringLiteral("http://h/") + name);
        EXPECT_EQ(lstMain.row(n)->subItem(JobColumn::SavePath), home.path(QStringLiteral("saved/")) + name);
    }
}

// The browser hands over a new link for a file whose download waits
// unfinished (its old link expired): the user is asked whether that row goes
// on from the new link; No takes the link as a new download.
class AddUrlNewLink : public AddUrlTest, public testing::WithParamInterface<Prompter::Answer> { };

TEST_P(AddUrlNewLink, OffersTheUnfinishedRowTheNewLink)
{
    home.writeFile(QStringLiteral("saved/big.zip"), "half");
    const QString savePath = home.path(QStringLiteral("saved/big.zip"));
    lstMain.addRow({savePath, QStringLiteral("40%"), QStringLiteral("8 bytes"), QStringLiteral("4 bytes"),
                    QStringLiteral("Paused/Stopped"), QStringLiteral("http://old.example/expired/big.zip")});
    intake.takeFirstUrl();
    home.prompter.script({GetParam()});
    const QString link = QStringLiteral("http://127.0.0.1:9/mirror/big.zip");

    EXPECT_TRUE(dialog->DownLoadURL(link));
    EXPECT_EQ(lstMain.rowCount(), 1) << "nothing is listed before the answer";
    QCoreApplication::processEvents();
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_TRUE(home.prompter.shown[0].text.contains(link)) << home.prompter.shown[0].text.toStdString();
    if (GetParam() == Prompter::Answer::Yes) {
        EXPECT_EQ(lstMain.rowCount(), 1);
        ASSERT_NE(windows->slot(0), nullptr);
        EXPECT_EQ(windows->slot(0)->url(), link);
        EXPECT_EQ(windows->slot(0)->listRow(), lstMain.row(1));
    } else {
        EXPECT_EQ(lstMain.rowCount(), 2);
        EXPECT_EQ(lstMain.row(2)->subItem(JobColumn::Url), link);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, AddUrlNewLink, testing::Values(Prompter::Answer::Yes, Prompter::Answer::No));

// Cancel in a prompt takes its URL's row away, and so does keeping an
// existing file; Begin Download starts the job in the URL's row, wherever
// that row went meanwhile.
TEST_F(AddUrlTest, APromptActsOnItsOwnRow)
{
    SavePromptState prompt(*context, *windows);
    prompt.askSavePath = [](const QString&, const QString& proposed) -> std::optional<QString> { return proposed; };
    dialog->showSavePrompt = [&](const QString& url, const JobList::Row& row, const BrowserSession& session) {
        prompt.ask(url, row, session);
    };
    context->appSettings.DownloadPromptOption = true;
    addRow(QStringLiteral("http://h/old.zip"), QStringLiteral("100%"));
    dialog->DownLoadURL(QStringLiteral("http://h/cancelled.zip"));
    dialog->DownLoadURL(QStringLiteral("http://127.0.0.1:9/started.zip"));
    QCoreApplication::processEvents();
    prompt.cancel();
    lstMain.removeRow(1);
    QCoreApplication::processEvents();
    prompt.beginDownload();
    ASSERT_EQ(lstMain.rowCount(), 1);
    EXPECT_EQ(lstMain.row(1)->subItem(JobColumn::Url), QStringLiteral("http://127.0.0.1:9/started.zip"));
    const DownloadJob* job = windows->slot(0);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->listRow(), lstMain.row(1));
    EXPECT_FALSE(prompt.busy());

    // Keeping the file that exists cancels the download: its row goes too.
    home.writeFile(QStringLiteral("saved/kept.zip"), "mine");
    windows->askFileExists = [](const QString&) { return FileExistsChoice::Keep; };
    dialog->DownLoadURL(QStringLiteral("http://h/kept.zip"));
    QCoreApplication::processEvents();
    prompt.beginDownload();
    EXPECT_EQ(lstMain.rowCount(), 1);
    EXPECT_EQ(home.readFile(QStringLiteral("saved/kept.zip")), QByteArray("mine"));
}

// What the browser knew of a link reaches the link's job, whichever way it
// starts: from its save prompt, also one that waited behind another, or at
// once by the save rules. The browser's file name is the name offered and
// the one the file is saved under; a link from elsewhere has no session.
TEST_F(AddUrlTest, TheBrowsersSessionReachesTheJob)
{
    BrowserSession session;
    session.referrer = QStringLiteral("http://127.0.0.1:9/list.html");
    session.userAgent = QStringLiteral("Mozilla/5.0 (X11; Linux x86_64)");
    session.cookie = QStringLiteral("sid=a1; theme=dark");
    session.fileName = QStringLiteral("report.zip");
    session.mimeType = QStringLiteral("application/zip");
    const QString script = QStringLiteral("http://127.0.0.1:9/download.php?id=7");
    SavePromptState prompt(*context, *windows);
    QStringList proposed;
    prompt.askSavePath = [&](const QString&, const QString& path) -> std::optional<QString> {
        proposed.append(path);
        return path;
    };
    dialog->showSavePrompt = [&](const QString& url, const JobList::Row& row, const BrowserSession& handed) {
        prompt.ask(url, row, handed);
    };
    context->appSettings.DownloadPromptOption = true;
    ASSERT_TRUE(dialog->DownLoadURL(QStringLiteral("http://127.0.0.1:9/plain.zip")));
    ASSERT_TRUE(dialog->DownLoadURL(script, session)) << "judged by the browser's file name";
    QCoreApplication::processEvents();
    prompt.beginDownload();
    QCoreApplication::processEvents();
    prompt.beginDownload();
    const QString saved = home.path(QStringLiteral("saved/"));
    EXPECT_EQ(proposed, (QStringList {saved + QStringLiteral("plain.zip"), saved + QStringLiteral("report.zip")}));
    ASSERT_TRUE(windows->slot(0) && windows->slot(1));
    EXPECT_EQ(windows->slot(0)->requestOptions().browser, BrowserSession());
    EXPECT_EQ(windows->slot(1)->url(), script);
    EXPECT_EQ(windows->slot(1)->savePath(), saved + QStringLiteral("report.zip"));
    EXPECT_EQ(windows->slot(1)->requestOptions().browser, session);

    context->appSettings.DownloadPromptOption = false;
    context->appSettings.DownloadNowOption = true;
    ASSERT_TRUE(dialog->DownLoadURL(script, session));
    QCoreApplication::processEvents();
    ASSERT_TRUE(windows->slot(2));
    EXPECT_EQ(windows->slot(2)->requestOptions().browser, session);
}

// Several URLs typed at once: each meets the checks, the refused line stays
// in the dialog, and the one save prompt decides for all: the others go to
// the folder chosen there, under their own names, or go with a cancel.
struct ListCase {
    const char* name;
    bool promptEach; // DownloadPromptOption
    bool dropped;    // dropped on the job lists, else typed
    std::function<void(SavePromptState&)> answer;
    bool started;
    QStringList rows; // where each listed URL goes afterwards, under <home>/chosen
};

class AddUrlList : public AddUrlTest, public testing::WithParamInterface<ListCase> { };

TEST_P(AddUrlList, OnePromptServesTheWholeList)
{
    const ListCase& c = GetParam();
    context->appSettings.DownloadPromptOption = c.promptEach;
    SavePromptState prompt(*context, *windows);
    int asked = 0;
    prompt.askSavePath = [&](const QString&, const QString&) -> std::optional<QString> {
        ++asked;
        return home.path(QStringLiteral("chosen/first.zip"));
    };
    dialog->showSavePrompt = [&](const QString& url, const JobList::Row& row, const BrowserSession& session) {
        prompt.ask(url, row, session);
    };
    dialog->followSavePrompt = [&](const JobList::Row& leader, const QString& url, const JobList::Row& row,
                                   const BrowserSession& session) { prompt.follow(leader, url, row, session); };
    const QString text = QStringLiteral(
        "http://127.0.0.1:9/a.zip\r\n# later\n\n  not a url \nhttp://127.0.0.1:9/b.zip\n");
    if (c.dropped) {
        dialog->takeDroppedText(text);
    } else {
        dialog->load();
        dialog->txtURL = text;
        dialog->OK();
        EXPECT_TRUE(dialog->loaded()) << "the dialog stays with what was refused";
        EXPECT_EQ(dialog->txtURL, QStringLiteral("not a url"));
    }
    EXPECT_EQ(lstMain.rowCount(), 2) << "both listed before the prompt";
    QCoreApplication::processEvents();
    ASSERT_EQ(home.prompter.shown.size(), 1);
    EXPECT_EQ(home.prompter.shown[0].text, QStringLiteral("Invalid URL"));
    ASSERT_TRUE(prompt.busy());
    c.answer(prompt);
    QCoreApplication::processEvents();
    EXPECT_FALSE(prompt.busy()) << "no second prompt";
    EXPECT_EQ(asked, 1);
    // Where each goes: the file of its job, or of its row when it waits.
    QStringList paths;
    for (int number = 1; number <= lstMain.rowCount(); ++number) {
        const DownloadJob* job = windows->slot(number - 1);
        EXPECT_EQ(job != nullptr, c.started);
        paths.append(job ? job->savePath() : lstMain.row(number)->subItem(JobColumn::SavePath));
    }
    EXPECT_EQ(paths.replaceInStrings(home.path(QStringLiteral("chosen/")), QString()), c.rows);
    EXPECT_EQ(windows->slot(1) && windows->slot(1)->url() == QStringLiteral("http://127.0.0.1:9/b.zip"), c.started);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, AddUrlList,
    testing::Values(ListCase {"BeginDownload",
                              false,
                              false,
                              [](SavePromptState& prompt) { prompt.beginDownload(); },
                              true,
                              {QStringLiteral("first.zip"), QStringLiteral("b.zip")}},
                    ListCase {"Dropped",
                              false,
                              true,
                              [](SavePromptState& prompt) { prompt.beginDownload(); },
                              true,
                              {QStringLiteral("first.zip"), QStringLiteral("b.zip")}},
                    ListCase {"EveryUrlWouldAsk",
                              true,
                              false,
                              [](SavePromptState& prompt) { prompt.beginDownload(); },
                              true,
                              {QStringLiteral("first.zip"), QStringLiteral("b.zip")}},
                    ListCase {"DownloadLater",
                              false,
                              false,
                              [](SavePromptState& prompt) { prompt.downloadLater(); },
                              false,
                              {QStringLiteral("first.zip"), QStringLiteral("b.zip")}},
                    ListCase {"Cancel", false, false, [](SavePromptState& prompt) { prompt.cancel(); }, false, {}}),
    CaseName());

TEST_F(AddUrlTest, BeforeAnythingWasSavedFilesGoToTheDownloadFolder)
{
    context->dialogSettings.lastSavePath.clear();
    EXPECT_EQ(dialog->defaultPath(QStringLiteral("http://h/f.zip")),
              SavePaths::join(SavePaths::downloadFolder(), QStringLiteral("f.zip")));
    context->dialogSettings.lastSavePath = QStringLiteral("/only-root-file");
    EXPECT_EQ(dialog->defaultPath(QStringLiteral("http://h/f.zip")),
              SavePaths::join(SavePaths::downloadFolder(), QStringLiteral("f.zip")));
}

TEST(SavePaths, JoinsWithExactlyOneSeparator)
{
    EXPECT_EQ(SavePaths::join(QStringLiteral("/d/dl"), QStringLiteral("a.zip")), QStringLiteral("/d/dl/a.zip"));
    EXPECT_EQ(SavePaths::join(QStringLiteral("/d/dl/"), QStringLiteral("a.zip")), QStringLiteral("/d/dl/a.zip"));
    EXPECT_EQ(SavePaths::join(QStringLiteral("/d/dl//"), QStringLiteral("/a.zip")), QStringLiteral("/d/dl/a.zip"));
    EXPECT_EQ(SavePaths::join(QStringLiteral("/"), QStringLiteral("a.zip")), QStringLiteral("/a.zip"));
    EXPECT_EQ(SavePaths::join(QString(), QStringLiteral("a.zip")), QStringLiteral("a.zip"));
    EXPECT_EQ(SavePaths::folderOf(QStringLiteral("/d/a.zip")), QStringLiteral("/d"));
    EXPECT_EQ(SavePaths::folderOf(QStringLiteral("a.zip")), QString());
}

} // namespace
