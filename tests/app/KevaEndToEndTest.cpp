#include "KevaOnDisplay.h"

#include "engine/JobRow.h"
#include "support/NginxServer.h"
#include "support/PeerRequirement.h"
#include "support/TestCertificates.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QByteArray sha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}

// KEVA on a virtual display, with a file served by nginx.
class KevaEndToEnd : public KevaOnDisplay {
protected:
    void SetUp() override
    {
        KevaOnDisplay::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        QDir().mkpath(home.path(QStringLiteral("www")));
        QByteArray content(3 * 1024 * 1024 + 123, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(content.data()), content.size() / 4);
        home.writeFile(QStringLiteral("www/file.bin"), content);
        QFile::setPermissions(home.path(QString()), QFile::permissions(home.path(QString())) | QFileDevice::ExeOther);
        QFile::setPermissions(home.path(QStringLiteral("www")),
                              QFile::permissions(home.path(QStringLiteral("www"))) | QFileDevice::ExeOther
                                  | QFileDevice::ReadOther);
        QFile::setPermissions(home.path(QStringLiteral("www/file.bin")),
                              QFileDevice::ReadOwner | QFileDevice::ReadOther);
        nginx.addRateLimitedLocation(QStringLiteral("/slow/"), 300 * 1024);
        // Slow enough that the queue has rows waiting for seconds.
        nginx.addRateLimitedLocation(QStringLiteral("/queued/"), 50 * 1024);
        nginx.addHttpText(QStringLiteral("    log_format timing '$msec|$request_time|$uri';\n"
                                         "    access_log \"%1\" timing;\n")
                              .arg(home.path(QStringLiteral("timing.log"))));
        KEVA_REQUIRE_PEER(nginx);
    }
    // Lets KEVA read the clock `FAKETIME` sets (faketime's library); its
    // timers keep the real running time. False when faketime is missing here.
    bool useFakeClock(const QString& faketimeSetting)
    {
        const bool onCi = qEnvironmentVariable("CI") == QStringLiteral("true");
        const QString library = QStringLiteral("/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1");
        const PeerRequirement clock = PeerRequirement::decide(QFile::exists(library), QFile::exists(library), onCi,
                                                              QStringLiteral("faketime"),
                                                              QStringLiteral("no faketime"));
        EXPECT_NE(clock.outcome, PeerRequirement::Outcome::Fail) << clock.message;
        if (clock.outcome != PeerRequirement::Outcome::Ready)
            return false;
        // The sanitizer lets that library load first.
        environment.insert(QStringLiteral("LD_PRELOAD"), library);
        environment.insert(QStringLiteral("FAKETIME"), faketimeSetting);
        environment.insert(QStringLiteral("FAKETIME_DONT_FAKE_MONOTONIC"), QStringLiteral("1"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           qEnvironmentVariable("ASAN_OPTIONS") + QStringLiteral(":verify_asan_link_order=0"));
        return true;
    }

    // Hands `url` over by a second start and answers the save dialog with
    // `target` and the prompt with Begin Download.
    void saveHandedOver(const QString& url, const QString& target)
    {
        EXPECT_EQ(secondStart(url), 0);
        // The first URL of a session asks where to save it.
        const QString dialog = display.xdotool({QStringLiteral("search"), QStringLiteral("--sync"),
                                                QStringLiteral("--name"), QStringLiteral("Save file to")},
                                               30000);
        ASSERT_FALSE(dialog.isEmpty()) << "the save dialog appears";
        display.xdotool(
            {QStringLiteral("windowfocus"), QStringLiteral("--sync"), dialog.section(QLatin1Char('\n'), 0, 0)});
        display.xdotool({QStringLiteral("key"), QStringLiteral("ctrl+a")});
        display.xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), target});
        display.xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        // The prompt shows the chosen path; Enter presses its default button, Begin Download.
        const QString prompt = display.xdotool({QStringLiteral("search"), QStringLiteral("--sync"),
                                                QStringLiteral("--name"), QStringLiteral("^Download File$")},
                                               30000);
        ASSERT_FALSE(prompt.isEmpty()) << "the save prompt appears";
        press(prompt.section(QLatin1Char('\n'), 0, 0), QStringLiteral("Return"));
    }

    NginxServer nginx {home.path(QStringLiteral("www"))};
};

// The whole road of a URL through the real program: KEVA runs on a virtual
// display; a second start hands it a URL served by nginx; the save dialog is
// answered with typed input; the file arrives byte-exact; SIGTERM ends KEVA
// and the history holds the row.
TEST_F(KevaEndToEnd, ASecondStartHandsOverAUrlThatIsSavedWhereTheUserSays)
{
    ASSERT_TRUE(startKeva()) << "the running KEVA registers its receiver";
    const QString url = nginx.url(QStringLiteral("/file.bin")).toString();
    const QString target = home.path(QStringLiteral("user/Downloads/chosen name.bin"));
    saveHandedOver(url, target);
    ASSERT_FALSE(HasFatalFailure());

    ASSERT_TRUE(waitFor([&] { return sha256(target) == sha256(home.path(QStringLiteral("www/file.bin"))); }, 60000))
        << "the file arrives byte-exact at the typed path";

    const QByteArray history = terminate();
    EXPECT_TRUE(history.contains(target.toUtf8() + "\r\n100%\r\n")) << history.constData();
    EXPECT_TRUE(history.contains("Download Success\r\n" + url.toUtf8() + "\r\n")) << history.constData();
}

// The same road over https, from a server whose authority the system
// trusts (its folder of authorities, here the one SSL_CERT_DIR names).
TEST_F(KevaEndToEnd, AnHttpsUrlHandedOverArrivesByteExact)
{
    const TestCertificates& certificates = TestCertificates::instance();
    ASSERT_TRUE(certificates.ok()) << certificates.error().toStdString();
    NginxServer tls(home.path(QStringLiteral("www")));
    tls.useTls(certificates.server().certificate, certificates.server().key);
    KEVA_REQUIRE_PEER(tls);
    const QString authorities = home.path(QStringLiteral("authorities"));
    ASSERT_TRUE(certificates.writeAuthorityFolder(authorities));
    environment.insert(QStringLiteral("SSL_CERT_DIR"), authorities);

    ASSERT_TRUE(startKeva()) << "the running KEVA registers its receiver";
    const QString target = home.path(QStringLiteral("user/Downloads/secure.bin"));
    saveHandedOver(tls.url(QStringLiteral("/file.bin")).toString(), target);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(waitFor([&] { return sha256(target) == sha256(home.path(QStringLiteral("www/file.bin"))); }, 60000))
        << "the file arrives byte-exact at the typed path";
}

// From a first run: links handed over back to back while the first one's
// save dialog is open each get a row of their own at once, in order; the
// history file holds them within seconds, so a crash (kill -9) loses none.
TEST_F(KevaEndToEnd, EveryHandedOverLinkIsListedAndSurvivesACrash)
{
    ASSERT_TRUE(startKeva());
    constexpr int kLinks = 12;
    const auto url = [](int n) { return QStringLiteral("http://127.0.0.1:9/link%1.zip").arg(n); };
    for (int n = 1; n <= kLinks; ++n)
        EXPECT_EQ(secondStart(url(n)), 0) << n;
    const auto rowOf = [&](int n) {
        return home.path(QStringLiteral("user/Downloads/link%1.zip").arg(n)).toUtf8()
            + "\r\n0%\r\nN/A\r\nN/A\r\nNot Downloaded\r\n" + url(n).toUtf8() + "\r\n";
    };
    const auto history = [&] { return home.readFile(QStringLiteral("home/History.ini")); };
    EXPECT_TRUE(waitFor([&] { return history().contains(rowOf(kLinks)); }, 30000)) << history().constData();
    EXPECT_FALSE(windowsNamed(QStringLiteral("Save file to")).isEmpty()) << "the first link's question is open";

    running.kill();
    running.waitForFinished();
    const QByteArray kept = history();
    qsizetype at = 0;
    for (int n = 1; n <= kLinks; ++n) {
        const qsizetype found = kept.indexOf(rowOf(n));
        EXPECT_GE(found, at) << "link " << n << " is listed, after the one before it\n" << kept.constData();
        at = std::max(found, at);
    }
}

// The files below `folder` by their path, with their sha256.
QMap<QString, QByteArray> treeOf(const QString& folder)
{
    QMap<QString, QByteArray> tree;
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        tree.insert(QDir(folder).relativeFilePath(path), sha256(path));
    }
    return tree;
}

// The most downloads that ran at the same time, by nginx's timing log
// ($msec|$request_time|$uri): a file runs from its first request's start
// to its last request's end.
int mostAtOnce(const QByteArray& log)
{
    QMap<QByteArray, std::pair<double, double>> files;
    for (const QByteArray& line : log.split('\n')) {
        const QList<QByteArray> fields = line.split('|');
        if (fields.size() < 3)
            continue;
        const double end = fields[0].toDouble();
        const double begin = end - fields[1].toDouble();
        const auto known = files.constFind(fields[2]);
        files.insert(fields[2],
                     known == files.constEnd()
                         ? std::pair(begin, end)
                         : std::pair(std::min(known->first, begin), std::max(known->second, end)));
    }
    // Ends come before starts at the same moment; nginx rounds to 1 ms.
    std::vector<std::pair<double, int>> changes;
    for (const auto& [begin, end] : files) {
        changes.emplace_back(begin + 0.005, 1);
        changes.emplace_back(end, -1);
    }
    std::sort(changes.begin(), changes.end());
    int now = 0;
    int most = 0;
    for (const auto& change : changes)
        most = std::max(most, now += change.second);
    return most;
}

// The rows of a history file: seven lines each.
QList<QList<QByteArray>> recordsOf(const QByteArray& history)
{
    const QList<QByteArray> lines = history.split('\n');
    QList<QList<QByteArray>> records;
    for (qsizetype at = 0; at + 7 <= lines.size(); at += 7) {
        QList<QByteArray> record;
        for (qsizetype k = at; k < at + 7; ++k)
            record.append(lines[k].trimmed());
        records.append(record);
    }
    return records;
}

// From a first run: seven URLs typed into Add URL a line each (Shift+Enter),
// with a comment among them. One save question places the first file; the
// others go beside it under their own names, each in a row. Three run at
// once (the first run's limit) and the rest wait as "Queued" rows; those
// still waiting when KEVA ends start at its next start. Every finished file
// is byte-exact.
TEST_F(KevaEndToEnd, SeveralUrlsTypedIntoAddUrlAskOnceAndWaitInTheQueueThroughARestart)
{
    constexpr int kFiles = 7;
    const QByteArray served = home.readFile(QStringLiteral("www/file.bin"));
    const auto name = [](int n) { return QStringLiteral("q%1.bin").arg(n); };
    for (int n = 1; n <= kFiles; ++n) {
        home.writeFile(QStringLiteral("www/") + name(n), served.mid(n * 1000, 150000 + n * 777));
        QFile::setPermissions(home.path(QStringLiteral("www/") + name(n)),
                              QFileDevice::ReadOwner | QFileDevice::ReadOther);
    }
    ASSERT_TRUE(startKeva());
    ASSERT_FALSE(openFromMenu({QStringLiteral("alt+f"), QStringLiteral("a")}, QStringLiteral("^Add URL$")).isEmpty());
    keys({QStringLiteral("ctrl+a")});
    for (int n = 1; n <= kFiles; ++n) {
        if (n > 1)
            keys({QStringLiteral("shift+Return")});
        typeText(nginx.url(QStringLiteral("/queued/") + name(n)).toString());
        if (n == 1) {
            keys({QStringLiteral("shift+Return")});
            typeText(QStringLiteral("# mirrors"));
        }
    }
    keys({QStringLiteral("Return")});
    ASSERT_FALSE(focusWindow(QStringLiteral("Save file to")).isEmpty()) << "the first URL asks where to save";
    const QString folder = home.path(QStringLiteral("user/Downloads"));
    keys({QStringLiteral("ctrl+a")});
    typeText(folder + QStringLiteral("/first.bin"));
    keys({QStringLiteral("Return")});
    ASSERT_FALSE(focusWindow(QStringLiteral("^Download File$")).isEmpty());
    keys({QStringLiteral("Return")}); // Begin Download

    const auto servedOf = [&](const QByteArray& url) {
        return sha256(home.path(QStringLiteral("www/")) + QString::fromUtf8(url.mid(url.lastIndexOf('/') + 1)));
    };
    const QString first = folder + QStringLiteral("/first.bin");
    ASSERT_TRUE(waitFor([&] { return sha256(first) == sha256(home.path(QStringLiteral("www/q1.bin"))); }, 120000));
    EXPECT_TRUE(windowsNamed(QStringLiteral("Save file to")).isEmpty()) << "asked once";
    const QByteArray ended = terminate();
    QList<QList<QByteArray>> waiting;
    for (const QList<QByteArray>& record : recordsOf(ended)) {
        if (record[JobColumn::Status - 1] == "Queued")
            waiting.append(record);
    }
    ASSERT_FALSE(waiting.isEmpty()) << "the last rows wait in the queue\n" << ended.constData();

    ASSERT_TRUE(startKeva());
    for (const QList<QByteArray>& record : std::as_const(waiting)) {
        const QString path = QString::fromUtf8(record[JobColumn::SavePath - 1]);
        EXPECT_TRUE(waitFor([&] { return sha256(path) == servedOf(record[JobColumn::Url - 1]); }, 120000))
            << "a row that waited through the restart downloads: " << path.toStdString();
    }
    const QByteArray history = terminate();
    int done = 0;
    for (const QList<QByteArray>& record : recordsOf(history)) {
        if (record[JobColumn::Percent - 1] != "100%")
            continue;
        ++done;
        EXPECT_EQ(sha256(QString::fromUtf8(record[JobColumn::SavePath - 1])), servedOf(record[JobColumn::Url - 1]))
            << record[JobColumn::SavePath - 1].constData();
    }
    EXPECT_GE(done, 3 + waiting.size()) << history.constData();
    EXPECT_EQ(mostAtOnce(home.readFile(QStringLiteral("timing.log"))), 3) << "three at once, never more";
}

// From a first run, as a user does it: Downloads > Site Downloader, Next, the
// start page in Add URL, a place in the save dialog, Begin Download. The
// site arrives as wget -r -np fetches it (text pages and every file but GIF
// and JPEG images), byte for byte.
TEST_F(KevaEndToEnd, ASiteDownloadFromAFirstRunFetchesWhatWgetFetches)
{
    const std::pair<const char*, QByteArray> site[] = {
        {"www/site/index.html", R"(<a href="a.zip">a</a> <img src="logo.gif"> <a href="sub/page.html">more</a>)"},
        {"www/site/a.zip", QByteArray(300000, 'z')},
        {"www/site/logo.gif", "GIF89a"},
        {"www/site/sub/page.html",
         R"(<a href="../index.html">up</a> <a href="notes.txt">notes</a> <a href="/other/x.zip">)"},
        {"www/site/sub/notes.txt", "notes\n"},
        {"www/other/x.zip", "above the start folder"},
    };
    for (const auto& [path, content] : site)
        home.writeFile(QString::fromLatin1(path), content);
    for (const char* folder : {"www/site", "www/site/sub", "www/other"})
        QFile::setPermissions(home.path(QString::fromLatin1(folder)),
                              QFile::permissions(home.path(QString::fromLatin1(folder))) | QFileDevice::ExeOther
                                  | QFileDevice::ReadOther);
    for (const auto& [path, content] : site)
        QFile::setPermissions(home.path(QString::fromLatin1(path)), QFileDevice::ReadOwner | QFileDevice::ReadOther);
    const QString startUrl = nginx.url(QStringLiteral("/site/index.html")).toString();

    const QString fetched = home.path(QStringLiteral("wget"));
    QProcess wget;
    wget.start(QStringLiteral("wget"),
               {QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("-np"), QStringLiteral("-nH"),
                QStringLiteral("--cut-dirs=1"), QStringLiteral("-e"), QStringLiteral("robots=off"),
                QStringLiteral("-R"), QStringLiteral("gif,jpeg"), QStringLiteral("-P"), fetched, startUrl});
    ASSERT_TRUE(wget.waitForFinished(60000));
    ASSERT_EQ(wget.exitCode(), 0) << wget.readAllStandardError().constData();
    const QMap<QString, QByteArray> expected = treeOf(fetched);
    ASSERT_EQ(expected.size(), 4) << "the start page, a.zip, the sub page and its notes";

    ASSERT_TRUE(startKeva());
    ASSERT_FALSE(
        openFromMenu({QStringLiteral("alt+d"), QStringLiteral("s")}, QStringLiteral("^Site Downloader$")).isEmpty())
        << "the menu opens the dialog";
    keys({QStringLiteral("Return")}); // Next
    ASSERT_FALSE(focusWindow(QStringLiteral("^Add URL$")).isEmpty()) << "Next opens Add URL";
    keys({QStringLiteral("ctrl+a")});
    typeText(startUrl);
    keys({QStringLiteral("Return")});
    ASSERT_FALSE(focusWindow(QStringLiteral("Save file to")).isEmpty()) << "the start page is taken: where to?";
    const QString crawled = home.path(QStringLiteral("user/Downloads"));
    keys({QStringLiteral("ctrl+a")});
    typeText(crawled + QStringLiteral("/index.html"));
    keys({QStringLiteral("Return")});
    ASSERT_FALSE(focusWindow(QStringLiteral("^Download File$")).isEmpty());
    keys({QStringLiteral("Return")}); // Begin Download

    EXPECT_TRUE(waitFor([&] { return treeOf(crawled) == expected; }, 120000))
        << QStringList(treeOf(crawled).keys()).join(QLatin1Char(' ')).toStdString();
    const QByteArray history = terminate();
    EXPECT_EQ(history.count("\r\n100%\r\n"), 4) << "a row for each, all whole\n" << history.constData();
}

// One hand-off for each way the intake can refuse or hold back a URL.
TEST_F(KevaEndToEnd, HandedOverUrlsMeetTheIntakeChecks)
{
    storeSetting("RunTimes", "1");
    storeSetting("LimitHTTP", "-1"); // every HTTP server is over its limit
    storeSetting("LimitFTP", "3");
    storeSetting("MonitorServer", "blocked.example");
    storeSetting("MonitorTypes", ".ZIP; .BIN");
    ASSERT_TRUE(startKeva());
    const int windowsBefore = static_cast<int>(windowsNamed(QStringLiteral("^Quillspan$")).size());

    // Invalid: a message box, nothing listed.
    EXPECT_EQ(secondStart(QStringLiteral("not-a-url")), 0);
    ASSERT_TRUE(waitFor([&] { return windowsNamed(QStringLiteral("^Quillspan$")).size() > windowsBefore; }, 20000))
        << "the Invalid URL message appears";
    press(windowsNamed(QStringLiteral("^Quillspan$")).last(), QStringLiteral("Return"));

    const QString limited = nginx.url(QStringLiteral("/file.bin")).toString();
    EXPECT_EQ(secondStart(limited), 0);
    EXPECT_EQ(secondStart(QStringLiteral("ftp://blocked.example/pub/f.zip")), 0);
    EXPECT_EQ(secondStart(QStringLiteral("ftp://127.0.0.1:9/notes.txt")), 0);
    // The hand-offs are taken in one after another, right after they were
    // answered: once a last invalid one shows its message, all are in.
    const QStringList messagesBefore = windowsNamed(QStringLiteral("^Quillspan$"));
    QString lastMessage;
    EXPECT_EQ(secondStart(QStringLiteral("not-a-url")), 0);
    ASSERT_TRUE(waitFor(
        [&] {
            for (const QString& window : windowsNamed(QStringLiteral("^Quillspan$"))) {
                if (!messagesBefore.contains(window))
                    lastMessage = window;
            }
            return !lastMessage.isEmpty();
        },
        20000));
    press(lastMessage, QStringLiteral("Return"));

    const QByteArray history = terminate();
    EXPECT_TRUE(history.contains("/file.bin\r\n0%\r\nN/A\r\nN/A\r\nNot Downloaded\r\n" + limited.toUtf8() + "\r\n"))
        << "over the limit: listed, not started\n"
        << history.constData();
    EXPECT_TRUE(history.contains(
        "You block this server\r\n0 %\r\nN/A\r\nN/A\r\nNot Downloaded\r\nftp://blocked.example/pub/f.zip\r\n"))
        << history.constData();
    EXPECT_FALSE(history.contains("notes.txt")) << "a type that is not monitored is not added";
    EXPECT_FALSE(history.contains("not-a-url"));
    EXPECT_EQ(history.count("\r\n"), 14) << "two rows";
}

// A schedule stored for 10:05 today and two unfinished rows in today's
// history; KEVA starts at 10:04:40 by a clock of its own (faketime). Without
// anyone doing anything, both files complete at the set time, byte-exact: the
// one at 45 % by the schedule's choice (resume), the one whose file is gone anew.
TEST_F(KevaEndToEnd, TheScheduleRestartsTheUnfinishedRowsAtTheSetTime)
{
    // The program's wall clock starts 20 s before the set time.
    if (!useFakeClock(QStringLiteral("@%1 10:04:40").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")))))
        GTEST_SKIP() << "no faketime";
    storeSetting("RunTimes", "1");
    for (const auto& [name, value] : {std::pair {"NoSchedule", "0"},
                                      {"SchHour", "10"},
                                      {"SchMinute", ":05"},
                                      {"SchType", "AM"},
                                      {"Today", "True"},
                                      {"SelectDay", "False"},
                                      {"OverWrite", "False"},
                                      {"Resume", "True"},
                                      {"Skip", "False"}})
        storeSetting(name, value);
    const QByteArray served = home.readFile(QStringLiteral("www/file.bin"));
    const QString half = home.path(QStringLiteral("user/Downloads/half.bin"));
    const QString gone = home.path(QStringLiteral("user/Downloads/gone.bin"));
    home.writeFile(QStringLiteral("user/Downloads/half.bin"), served.left(served.size() * 45 / 100));
    const QDate today = QDate::currentDate();
    const QByteArray url = nginx.url(QStringLiteral("/file.bin")).toString().toUtf8();
    const QByteArray date = today.toString(QStringLiteral("M/d/yyyy")).toUtf8();
    home.writeFile(QStringLiteral("home/History.ini"),
                   half.toUtf8() + "\r\n45%\r\n3.00 MB\r\n1.35 MB\r\nPaused/Stopped\r\n" + url + "\r\n" + date + "\r\n"
                       + gone.toUtf8() + "\r\n12%\r\n3.00 MB\r\n0.36 MB\r\nPaused/Stopped\r\n" + url + "\r\n" + date
                       + "\r\n");

    ASSERT_TRUE(startKeva());

    const QByteArray expected = QCryptographicHash::hash(served, QCryptographicHash::Sha256).toHex();
    EXPECT_TRUE(waitFor([&] { return sha256(half) == expected && sha256(gone) == expected; }, 90000))
        << "both files complete at the set time";

    const QByteArray history = terminate();
    EXPECT_EQ(history.count("\r\n100%\r\n"), 2) << history.constData();
}

// From a first run on a desktop with a window manager, as a user meets it:
// the first run makes the autostart entry its ticked box promises; a link
// handed over is listed and starts; a crash (kill -9) in the middle of the
// transfer loses neither the row nor the bytes; the next day the unfinished
// row is still in Downloads, stopped; a closed main window comes back with a
// second start; the row downloaded again resumes, and the file completes
// byte-exact.
TEST_F(KevaEndToEnd, AFirstRunKeepsItsDownloadThroughACrashAndTheNextDay)
{
    const bool onCi = qEnvironmentVariable("CI") == QStringLiteral("true");
    const bool openbox = QFile::exists(QStringLiteral("/usr/bin/openbox"));
    const PeerRequirement manager = PeerRequirement::decide(openbox, openbox, onCi, QStringLiteral("openbox"),
                                                            QStringLiteral("no openbox"));
    if (manager.outcome == PeerRequirement::Outcome::Skip)
        GTEST_SKIP() << manager.message;
    ASSERT_EQ(manager.outcome, PeerRequirement::Outcome::Ready) << manager.message;
    ASSERT_TRUE(startWindowManager());

    ASSERT_TRUE(startKeva());
    const QDir autostart(home.configFolder() + QStringLiteral("/autostart"));
    ASSERT_TRUE(waitFor([&] { return !autostart.entryList({QStringLiteral("*.desktop")}).isEmpty(); }, 10000))
        << "the first run makes the autostart entry";
    QFile entry(autostart.filePath(autostart.entryList({QStringLiteral("*.desktop")}).at(0)));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("KEVA"));

    const QString url = nginx.url(QStringLiteral("/slow/file.bin")).toString();
    const QString target = home.path(QStringLiteral("user/Downloads/file.bin"));
    EXPECT_EQ(secondStart(url), 0);
    ASSERT_FALSE(focusWindow(QStringLiteral("Save file to")).isEmpty()) << "the first link asks where to save it";
    keys({QStringLiteral("Return")}); // the download folder, as offered
    ASSERT_FALSE(focusWindow(QStringLiteral("^Download File$")).isEmpty());
    keys({QStringLiteral("Return")}); // Begin Download
    // Killed once the transfer runs and the list was written (a few seconds
    // after the row changed).
    ASSERT_TRUE(waitFor(
        [&] {
            return QFileInfo(target).size() > 300 * 1024
                && home.readFile(QStringLiteral("home/History.ini")).contains(url.toUtf8());
        },
        30000))
        << "the transfer runs";
    running.kill();
    running.waitForFinished();
    const qint64 kept = QFileInfo(target).size();
    ASSERT_LT(kept, home.readFile(QStringLiteral("www/file.bin")).size()) << "killed in the middle";

    // The next day.
    if (!useFakeClock(QStringLiteral("+1d")))
        GTEST_SKIP() << "no faketime";
    ASSERT_TRUE(startKeva());
    const QString mainWindow = focusWindow(QStringLiteral("^Quillspan$"));
    ASSERT_FALSE(mainWindow.isEmpty());
    keys({QStringLiteral("alt+F4")}); // the window manager closes the window
    ASSERT_TRUE(waitFor(
        [&] {
            return windowsNamed(QStringLiteral("^Quillspan$")).isEmpty()
                || display
                       .xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                 QStringLiteral("^Quillspan$")})
                       .isEmpty();
        },
        10000))
        << "closed, the window goes out of sight";
    EXPECT_EQ(running.state(), QProcess::Running) << "closing the window does not end KEVA";
    EXPECT_EQ(secondStart(QString()), 0);
    ASSERT_FALSE(focusWindow(QStringLiteral("^Quillspan$")).isEmpty()) << "a second start brings the window back";
    EXPECT_EQ(display.xdotool({QStringLiteral("getactivewindow")}).trimmed(), mainWindow) << "in front, active";

    // The row, the list's only one, is picked with the keys (on to the views'
    // tree, on to the list, its last row, selected) and downloaded again; the
    // file that is there is resumed.
    keys({QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("End"), QStringLiteral("space")});
    keys({QStringLiteral("alt+d"), QStringLiteral("r")}); // Downloads > Re-Download
    ASSERT_FALSE(focusWindow(QStringLiteral("File Already Exists")).isEmpty());
    keys({QStringLiteral("alt+r")}); // Resume
    const QByteArray expected = sha256(home.path(QStringLiteral("www/file.bin")));
    EXPECT_TRUE(waitFor([&] { return sha256(target) == expected; }, 60000))
        << "yesterday's unfinished row completes byte-exact";
    EXPECT_GE(QFileInfo(target).size(), kept);
    const QByteArray history = terminate();
    EXPECT_EQ(history.count(url.toUtf8()), 1) << "one row for the one link\n" << history.constData();
    EXPECT_TRUE(history.contains("\r\n100%\r\n")) << history.constData();
}

// From a first run: a server that wants a login gets it from the window the
// download asks with; ticked, the login is kept on the Logins page (in
// Settings.ini), and the file arrives byte-exact.
TEST_F(KevaEndToEnd, AServerThatWantsALoginGetsTheOneTypedIntoTheDownloadsQuestion)
{
    home.writeFile(QStringLiteral("htpasswd"), "maria:{PLAIN}s3cret\n");
    QFile::setPermissions(home.path(QStringLiteral("htpasswd")), QFileDevice::ReadOwner | QFileDevice::ReadOther);
    nginx.stop();
    nginx.addServerText(QStringLiteral("location /members/ { auth_basic \"members\"; auth_basic_user_file \"%1\"; "
                                       "alias \"%2/\"; }\n")
                            .arg(home.path(QStringLiteral("htpasswd")), home.path(QStringLiteral("www"))));
    KEVA_REQUIRE_PEER(nginx);
    ASSERT_TRUE(startWindowManager());
    ASSERT_TRUE(startKeva());
    EXPECT_EQ(secondStart(nginx.url(QStringLiteral("/members/file.bin")).toString()), 0);
    ASSERT_FALSE(focusWindow(QStringLiteral("Save file to")).isEmpty());
    keys({QStringLiteral("Return")}); // the download folder, as offered
    ASSERT_FALSE(focusWindow(QStringLiteral("^Download File$")).isEmpty());
    keys({QStringLiteral("Return")}); // Begin Download
    ASSERT_FALSE(focusWindow(QStringLiteral("^Login for 127.0.0.1")).isEmpty()) << "the server's 401 asks for a login";
    typeText(QStringLiteral("maria"));
    keys({QStringLiteral("Tab")});
    typeText(QStringLiteral("s3cret"));
    keys({QStringLiteral("Tab"), QStringLiteral("space"), QStringLiteral("Return")}); // remember it; OK

    const QString target = home.path(QStringLiteral("user/Downloads/file.bin"));
    ASSERT_TRUE(waitFor([&] { return sha256(target) == sha256(home.path(QStringLiteral("www/file.bin"))); }, 60000))
        << "the file arrives byte-exact";
    const QByteArray settings = home.readFile(QStringLiteral("home/Settings.ini"));
    EXPECT_TRUE(settings.contains("127.0.0.1") && settings.contains("maria")) << settings.constData();
    EXPECT_FALSE(settings.contains("s3cret")) << "the password is kept scrambled";
    EXPECT_FALSE(terminate().contains("s3cret"));
}

} // namespace
