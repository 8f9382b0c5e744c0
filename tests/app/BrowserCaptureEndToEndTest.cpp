#include "KevaOnDisplay.h"

#include "capture/CBrowserHelper.h"
#include "intake/HandOffText.h"
#include "intake/frmLocater.h"
#include "settings/BrowserRegistration.h"
#include "settings/CRegister.h"

#include "support/NginxServer.h"
#include "support/PeerRequirement.h"
#include "support/TestLabels.h"

#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString kChromium = QStringLiteral("/usr/bin/chromium");
const QString kFirefox = QStringLiteral("/usr/bin/firefox-esr");
const QString kBrowserTools = QStringLiteral(KEVA_BROWSER_TOOLS);
const QString kSourceDir = QStringLiteral(KEVA_SOURCE_DIR);

// What the browser did with one click.
struct Outcome {
    QString page;            // where the tab is afterwards
    QStringList savedSha256; // the files it downloaded to the end
    int unfinishedDownloads = 0;
    QString userAgent; // the page's navigator.userAgent
};

enum class Browser { Chromium, Firefox };

// A headless browser with the capture extension clicking links on a page
// served by nginx, with KEVA on a virtual display and KEVA_IE_BHO installed
// for that browser as KEVA's capture switch installs it. Chromium runs in
// every test; Firefox ESR where a test asks for it.
class BrowserCapture : public KevaOnDisplay {
protected:
    void SetUp() override
    {
        KevaOnDisplay::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        requireBrowser(Browser::Chromium);
        if (IsSkipped() || HasFatalFailure())
            return;

        QByteArray archive(200 * 1024 + 17, Qt::Uninitialized);
        QRandomGenerator(15).fillRange(reinterpret_cast<quint32*>(archive.data()), archive.size() / 4);
        home.writeFile(QStringLiteral("www/files/pack.zip"), archive);
        home.writeFile(QStringLiteral("www/files/guide.pdf"), pdf());
        home.writeFile(QStringLiteral("www/files/page.html"), "<html><body>a page</body></html>");
        home.writeFile(QStringLiteral("www/files/file.php"), "<?php echo 3; ?>");
        // A script that sends a file under a name of its own.
        home.writeFile(QStringLiteral("www/files/download.php"), archive);
        zipSha256_ = QCryptographicHash::hash(archive, QCryptographicHash::Sha256).toHex();
        nginx.addHttpText(QStringLiteral("    types { text/html html; application/pdf pdf; application/zip zip; }\n"));
        nginx.addServerText(QStringLiteral("        autoindex on;\n"
                                           "        location = /files/download.php {\n"
                                           "            default_type application/octet-stream;\n"
                                           "            add_header Content-Disposition "
                                           "'attachment; filename=\"report.zip\"';\n"
                                           "        }\n"));
        for (const QString& folder : {QString(), QStringLiteral("www"), QStringLiteral("www/files")})
            QFile::setPermissions(home.path(folder),
                                  QFile::permissions(home.path(folder)) | QFileDevice::ExeOther
                                      | QFileDevice::ReadOther);
        KEVA_REQUIRE_PEER(nginx);

        // KEVA lists what it is handed (every server is over its limit, so
        // nothing starts and nothing asks), and monitors PDF files too.
        storeSetting("RunTimes", "1");
        storeSetting("LimitHTTP", "-1");
        storeSetting("MonitorTypes", ".ZIP; .PDF");
        // The helper's own key: PDF added; localhost is an ignored server.
        helperSetting("MonitorTypes", QStringLiteral(".ZIP; .PDF"));
        helperSetting("MonitorServer", QStringLiteral("localhost:%1").arg(nginx.port()));

        // The capture switch installs the host manifest for Chromium in
        // $XDG_CONFIG_HOME/chromium, which is the browser's profile here.
        Registry registry(home.registryFolder());
        BrowserRegistration(registry, ProgramFolder(home.programFolder(), QString()), keva).IECapClicks(true);
        profile_ = home.configFolder() + QStringLiteral("/chromium");
        ASSERT_TRUE(QFile::exists(profile_ + QStringLiteral("/NativeMessagingHosts/org.quillspan.keva_ie_bho.json")));
    }

    // Skips the test (fails it on CI) when the browser, node or the npm
    // package that drives the browser is missing.
    void requireBrowser(Browser browser)
    {
        const bool chromium = browser == Browser::Chromium;
        if (const QString refusal = TestLabels::refusal(QStringLiteral("peer"), chromium ? kChromium : kFirefox);
            !refusal.isEmpty())
            FAIL() << refusal.toStdString();
        node_ = QStandardPaths::findExecutable(QStringLiteral("node"));
        const QString driverPackage = chromium ? QStringLiteral("playwright-core") : QStringLiteral("puppeteer-core");
        const bool installed = QFile::exists(chromium ? kChromium : kFirefox) && !node_.isEmpty()
            && QFile::exists(kBrowserTools + QStringLiteral("/node_modules/") + driverPackage
                             + QStringLiteral("/package.json"));
        const PeerRequirement requirement = PeerRequirement::decide(
            installed, installed, qEnvironmentVariable("CI") == QStringLiteral("true"),
            (chromium ? QStringLiteral("chromium") : QStringLiteral("firefox-esr"))
                + QStringLiteral(" nodejs npm, then scripts/setup test (it installs the npm packages)"),
            QStringLiteral("the browser, node or ") + driverPackage + QStringLiteral(" is missing"));
        if (requirement.outcome == PeerRequirement::Outcome::Skip)
            GTEST_SKIP() << requirement.message;
        ASSERT_EQ(requirement.outcome, PeerRequirement::Outcome::Ready) << requirement.message;
    }

    void helperSetting(const char* name, const QString& value)
    {
        Registry registry(home.registryFolder());
        CRegister(registry).REGSaveSetting(RegistryRoot::HKEY_LOCAL_MACHINE, CBrowserHelper::kKey,
                                           QString::fromLatin1(name), value);
    }

    // The smallest PDF that Chromium's viewer shows.
    static QByteArray pdf()
    {
        return "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
               "2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
               "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 200 200]>>endobj\n"
               "trailer<</Root 1 0 R>>\n%%EOF\n";
    }

    QString url(const QString& path) const { return nginx.url(path).toString(); }

    // Writes the page with one link per entry (id, href as written), and
    // `head` before them, and clicks them in order.
    // With `browsersOwnDownloads`, Chromium saves downloads as it does for a
    // user (into ~/Downloads, which the driver does not watch), so that the
    // extension sees them before they are named.
    QList<Outcome> clickLinks(const QList<std::pair<QString, QString>>& links, Browser browser = Browser::Chromium,
                              const QByteArray& head = {}, bool browsersOwnDownloads = false)
    {
        QByteArray page = "<html><head>" + head + "</head><body>\n";
        QJsonArray selectors;
        for (const auto& [id, href] : links) {
            page += "<p><a id=\"" + id.toUtf8() + "\" href=\"" + href.toUtf8() + "\">" + id.toUtf8() + "</a></p>\n";
            selectors.append(QLatin1Char('#') + id);
        }
        home.writeFile(QStringLiteral("www/index.html"), page + "</body></html>\n");
        const QJsonObject spec {
            {QStringLiteral("browser"), browser == Browser::Chromium ? kChromium : kFirefox},
            {QStringLiteral("extension"), kSourceDir + QStringLiteral("/browser-extension")},
            {QStringLiteral("userDataDir"), profile_},
            {QStringLiteral("downloads"), home.path(QStringLiteral("browser-downloads"))},
            {QStringLiteral("page"), url(QStringLiteral("/index.html"))},
            {QStringLiteral("settleMs"), 2500},
            {QStringLiteral("clicks"), selectors},
            {QStringLiteral("browsersOwnDownloads"), browsersOwnDownloads},
        };
        home.writeFile(QStringLiteral("spec.json"), QJsonDocument(spec).toJson());

        QProcess driver;
        QProcessEnvironment driverEnvironment = environment;
        driverEnvironment.insert(QStringLiteral("NODE_PATH"), kBrowserTools + QStringLiteral("/node_modules"));
        driver.setProcessEnvironment(driverEnvironment);
        driver.start(node_,
                     {kSourceDir + QStringLiteral("/tests/capture/browser/")
                          + (browser == Browser::Chromium ? QStringLiteral("drive-chromium.js")
                                                          : QStringLiteral("drive-firefox.js")),
                      home.path(QStringLiteral("spec.json"))});
        // The test's own receiver, where one stands in for KEVA, answers
        // from the event loop meanwhile.
        QEventLoop loop;
        QObject::connect(&driver, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(180000, &loop, &QEventLoop::quit);
        if (driver.state() != QProcess::NotRunning)
            loop.exec();
        const bool finished = driver.state() == QProcess::NotRunning;
        const QByteArray errors = driver.readAllStandardError();
        EXPECT_TRUE(finished && driver.exitCode() == 0) << errors.constData();
        QList<Outcome> outcomes;
        report_ = driver.readAllStandardOutput();
        for (const QJsonValue entry : QJsonDocument::fromJson(report_).array()) {
            Outcome outcome;
            outcome.page = entry[QStringLiteral("page")].toString();
            outcome.userAgent = entry[QStringLiteral("userAgent")].toString();
            for (const QJsonValue download : entry[QStringLiteral("downloads")].toArray()) {
                if (download[QStringLiteral("sha256")].isString())
                    outcome.savedSha256.append(download[QStringLiteral("sha256")].toString());
                else
                    ++outcome.unfinishedDownloads;
            }
            outcomes.append(outcome);
        }
        EXPECT_EQ(outcomes.size(), links.size()) << errors.constData();
        while (outcomes.size() < links.size())
            outcomes.append(Outcome {QStringLiteral("<no answer>"), {}, 0, {}});
        return outcomes;
    }

    // The URLs of KEVA's rows, once it has ended and written its history.
    QStringList listedUrls()
    {
        const QStringList lines = QString::fromUtf8(terminate()).split(QStringLiteral("\r\n"));
        QStringList urls;
        for (qsizetype row = 0; row + 6 < lines.size(); row += 7)
            urls.append(lines[row + 5]);
        return urls;
    }

    NginxServer nginx {home.path(QStringLiteral("www"))};
    QString node_;
    QString profile_;
    QByteArray zipSha256_;
    QByteArray report_; // the driver's account of the last clicks
};

// With KEVA running: the files of monitored types go to KEVA as the page
// wrote them, and the browser neither saves nor shows them; everything else
// the browser opens as usual.
TEST_F(BrowserCapture, KevaTakesMonitoredFilesAndTheBrowserKeepsTheRest)
{
    ASSERT_TRUE(startKeva());
    const QString zip = url(QStringLiteral("/files/pack.zip"));
    const QString pdf = url(QStringLiteral("/files/guide.pdf"));
    const QString capitals = QStringLiteral("HTTP://127.0.0.1:%1/FILES/PACK.ZIP").arg(nginx.port());
    const QString page = url(QStringLiteral("/files/page.html"));
    const QString folder = url(QStringLiteral("/files/"));
    const QString script = url(QStringLiteral("/files/file.php")) + QStringLiteral("?id=3");
    const QString ignored = QStringLiteral("http://localhost:%1/files/pack.zip").arg(nginx.port());
    const QList<Outcome> outcomes = clickLinks({{QStringLiteral("zip"), zip},
                                                {QStringLiteral("pdf"), pdf},
                                                {QStringLiteral("capitals"), capitals},
                                                {QStringLiteral("page"), page},
                                                {QStringLiteral("folder"), folder},
                                                {QStringLiteral("script"), script},
                                                {QStringLiteral("ignored"), ignored}});
    const QString index = url(QStringLiteral("/index.html"));
    for (int taken : {0, 1, 2}) {
        EXPECT_EQ(outcomes[taken].page, index) << "the browser shows nothing of link " << taken;
        EXPECT_TRUE(outcomes[taken].savedSha256.isEmpty()) << "the browser saves nothing of link " << taken;
        EXPECT_EQ(outcomes[taken].unfinishedDownloads, 0) << "nor starts to, link " << taken << '\n'
                                                          << report_.constData();
    }
    EXPECT_EQ(outcomes[3].page, page) << "a page opens in the browser";
    EXPECT_EQ(outcomes[4].page, folder) << "a folder opens in the browser";
    EXPECT_EQ(outcomes[5].savedSha256,
              QStringList {QString::fromLatin1(
                  QCryptographicHash::hash("<?php echo 3; ?>", QCryptographicHash::Sha256).toHex())})
        << "the script's answer is the browser's download\n"
        << report_.constData();
    EXPECT_EQ(outcomes[6].savedSha256, QStringList {QString::fromLatin1(zipSha256_)})
        << "a file of an ignored server is the browser's download, byte-exact";

    EXPECT_EQ(listedUrls(), (QStringList {zip, pdf, capitals})) << "KEVA lists exactly the taken links, unchanged";
}

// What the browser knows of a clicked link goes with it: the page's cookie,
// the page as the referrer, and the browser's User-Agent. A receiver of the
// test's own stands in for KEVA and keeps what it is handed.
TEST_F(BrowserCapture, TheBrowsersSessionGoesWithTheLink)
{
    QStringList handed;
    frmLocater receiver([&handed](const QString& text) {
        handed.append(text);
        return true;
    });
    ASSERT_TRUE(receiver.load());
    const QString zip = url(QStringLiteral("/files/pack.zip"));
    const QList<Outcome> outcomes = clickLinks({{QStringLiteral("zip"), zip}}, Browser::Chromium,
                                               "<script>document.cookie = 'sid=a1b2; path=/';</script>");
    ASSERT_EQ(handed.size(), 1) << report_.constData();
    const HandOffText::Parsed parsed = HandOffText::parse(handed[0]);
    EXPECT_EQ(parsed.url, zip);
    EXPECT_EQ(parsed.session.cookie, QStringLiteral("sid=a1b2")) << handed[0].toStdString();
    EXPECT_EQ(parsed.session.referrer, url(QStringLiteral("/index.html")));
    EXPECT_FALSE(outcomes[0].userAgent.isEmpty());
    EXPECT_EQ(parsed.session.userAgent, outcomes[0].userAgent);
    EXPECT_TRUE(outcomes[0].savedSha256.isEmpty()) << report_.constData();
}

// A link whose address names no file type, which the server answers as an
// attachment named "report.zip": the click is left to the browser, whose
// download then tells the name, and KEVA takes it before the browser saves it.
TEST_F(BrowserCapture, ADownloadIsJudgedByTheNameTheServerGaveIt)
{
    ASSERT_TRUE(startKeva());
    const QString named = url(QStringLiteral("/files/download.php")) + QStringLiteral("?id=7");
    const QList<Outcome> outcomes = clickLinks({{QStringLiteral("named"), named}}, Browser::Chromium, {}, true);
    EXPECT_EQ(outcomes[0].page, url(QStringLiteral("/index.html"))) << report_.constData();
    EXPECT_EQ(QDir(home.path(QStringLiteral("user/Downloads"))).entryList(QDir::Files), QStringList())
        << "the browser saved nothing";
    EXPECT_EQ(listedUrls(), QStringList {named});
}

// Without a running KEVA the browser downloads the file itself, whole.
TEST_F(BrowserCapture, WithoutKevaTheBrowserDownloadsTheFileItself)
{
    const QList<Outcome> outcomes = clickLinks({{QStringLiteral("zip"), url(QStringLiteral("/files/pack.zip"))}});
    EXPECT_EQ(outcomes[0].savedSha256, QStringList {QString::fromLatin1(zipSha256_)}) << report_.constData();
    EXPECT_EQ(outcomes[0].unfinishedDownloads, 0);
}

// Firefox ESR, headless, with the same extension: the archive goes to KEVA
// and Firefox saves nothing of it; the one from an ignored server Firefox
// saves itself, byte-exact.
TEST_F(BrowserCapture, FirefoxHandsTheArchiveToKevaToo)
{
    requireBrowser(Browser::Firefox);
    if (IsSkipped() || HasFatalFailure())
        return;
    // KEVA's capture switch writes Firefox's manifest in ~/.mozilla.
    Registry registry(home.registryFolder());
    BrowserRegistration(registry, ProgramFolder(home.programFolder(), QString()), keva).netscapeClicks(true);
    ASSERT_TRUE(startKeva());
    const QString zip = url(QStringLiteral("/files/pack.zip"));
    const QList<Outcome> outcomes = clickLinks(
        {{QStringLiteral("zip"), zip},
         {QStringLiteral("ignored"), QStringLiteral("http://localhost:%1/files/pack.zip").arg(nginx.port())}},
        Browser::Firefox);
    EXPECT_EQ(outcomes[0].page, url(QStringLiteral("/index.html"))) << report_.constData();
    EXPECT_TRUE(outcomes[0].savedSha256.isEmpty() && outcomes[0].unfinishedDownloads == 0) << report_.constData();
    EXPECT_EQ(outcomes[1].savedSha256, QStringList {QString::fromLatin1(zipSha256_)}) << report_.constData();
    EXPECT_EQ(listedUrls(), QStringList {zip});
}

// A link clicked on a page where the user is logged in: the page's server
// set a session cookie (HttpOnly, so only the browser's cookie store knows
// it), and the file is refused without it. KEVA fetches it byte-exact, every
// request carrying the cookie, the page as Referer and the browser's
// User-Agent; the history keeps none of them.
class BrowserSessionDownload : public BrowserCapture, public testing::WithParamInterface<Browser> { };

TEST_P(BrowserSessionDownload, KevaFetchesWithTheBrowsersCookiePageAndAgent)
{
    const Browser browser = GetParam();
    if (browser == Browser::Firefox) {
        requireBrowser(Browser::Firefox);
        if (IsSkipped() || HasFatalFailure())
            return;
        Registry registry(home.registryFolder());
        BrowserRegistration(registry, ProgramFolder(home.programFolder(), QString()), keva).netscapeClicks(true);
    }
    nginx.stop();
    const QString log = home.path(QStringLiteral("session.log"));
    nginx.addHttpText(
        QStringLiteral("    log_format session '$request|$http_cookie|$http_referer|$http_user_agent';\n"));
    nginx.addServerText(
        QStringLiteral("        access_log \"%1\" session;\n"
                       "        location = /index.html { add_header Set-Cookie "
                       "\"session=s3cret; Path=/; HttpOnly\"; }\n"
                       "        location /members/ { if ($cookie_session != \"s3cret\") { return 403; } "
                       "alias \"%2/\"; }\n")
            .arg(log, home.path(QStringLiteral("www/files"))));
    KEVA_REQUIRE_PEER(nginx);
    // Downloads start at once (the fixture lists them only); the user
    // answers the first one's question where to save it.
    storeSetting("LimitHTTP", "3");
    ASSERT_TRUE(startWindowManager());
    ASSERT_TRUE(startKeva());
    const QString zip = url(QStringLiteral("/members/pack.zip"));
    const QList<Outcome> outcomes = clickLinks({{QStringLiteral("zip"), zip}}, browser);
    ASSERT_FALSE(focusWindow(QStringLiteral("Save file to")).isEmpty()) << report_.constData();
    keys({QStringLiteral("Return")}); // the download folder, as offered
    ASSERT_FALSE(focusWindow(QStringLiteral("^Download File$")).isEmpty());
    keys({QStringLiteral("Return")}); // Begin Download
    const QString saved = QStringLiteral("user/Downloads/pack.zip");
    ASSERT_TRUE(waitFor(
        [&] {
            return QCryptographicHash::hash(home.readFile(saved), QCryptographicHash::Sha256).toHex() == zipSha256_;
        },
        60000))
        << "KEVA saved the file byte-exact";

    const QStringList requests = QString::fromUtf8(home.readFile(QStringLiteral("session.log")))
                                     .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                                     .filter(QStringLiteral("/members/pack.zip"));
    ASSERT_FALSE(requests.isEmpty()) << "every request of the download carries the session";
    for (const QString& request : requests) {
        const QStringList fields = request.split(QLatin1Char('|'));
        ASSERT_EQ(fields.size(), 4) << request.toStdString();
        EXPECT_EQ(fields[1], QStringLiteral("session=s3cret")) << request.toStdString();
        EXPECT_EQ(fields[2], url(QStringLiteral("/index.html")));
        EXPECT_EQ(fields[3], outcomes[0].userAgent);
    }
    EXPECT_FALSE(terminate().contains("s3cret")) << "the history keeps no cookie";
}

INSTANTIATE_TEST_SUITE_P(Browsers, BrowserSessionDownload, testing::Values(Browser::Chromium, Browser::Firefox),
                         [](const testing::TestParamInfo<Browser>& param) {
                             return param.param == Browser::Chromium ? std::string("Chromium")
                                                                     : std::string("FirefoxEsr");
                         });

// Capture switched off, in the helper's key or by KEVA's switch (which
// removes the host manifests): KEVA runs but is handed nothing; the browser
// downloads the archive and shows the PDF in its tab.
enum class SwitchedOff { InTheHelpersKey, ByKevasSwitch };

class BrowserCaptureOff : public BrowserCapture, public testing::WithParamInterface<SwitchedOff> { };

TEST_P(BrowserCaptureOff, NothingIsTaken)
{
    if (GetParam() == SwitchedOff::InTheHelpersKey) {
        helperSetting("ClickCapture", QStringLiteral("0"));
    } else {
        Registry registry(home.registryFolder());
        BrowserRegistration(registry, ProgramFolder(home.programFolder(), QString()), keva).IECapClicks(false);
    }
    ASSERT_TRUE(startKeva());
    const QString pdf = url(QStringLiteral("/files/guide.pdf"));
    const QList<Outcome> outcomes = clickLinks(
        {{QStringLiteral("zip"), url(QStringLiteral("/files/pack.zip"))}, {QStringLiteral("pdf"), pdf}});
    EXPECT_EQ(outcomes[0].savedSha256, QStringList {QString::fromLatin1(zipSha256_)}) << report_.constData();
    EXPECT_EQ(outcomes[1].page, pdf) << "the browser shows the PDF itself\n" << report_.constData();
    EXPECT_EQ(listedUrls(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Ways, BrowserCaptureOff,
                         testing::Values(SwitchedOff::InTheHelpersKey, SwitchedOff::ByKevasSwitch),
                         [](const testing::TestParamInfo<SwitchedOff>& row) {
                             return row.param == SwitchedOff::InTheHelpersKey ? std::string("InTheHelpersKey")
                                                                              : std::string("ByKevasSwitch");
                         });

} // namespace
