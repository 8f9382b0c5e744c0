#include "platform/WindowDirectory.h"

#include "support/NginxServer.h"
#include "support/PeerRequirement.h"
#include "support/TestHome.h"
#include "support/XvfbDisplay.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

bool waitFor(const std::function<bool()>& done, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QThread::msleep(50);
    return done();
}

QByteArray sha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}

// The whole road of a URL through the real program: KEVA runs on a virtual
// display; a second start hands it a URL served by nginx; the save dialog is
// answered with typed input; the file arrives byte-exact; SIGTERM ends KEVA
// and the history holds the row.
TEST(KevaEndToEnd, ASecondStartHandsOverAUrlThatIsSavedWhereTheUserSays)
{
    TestHome home;
    const bool onCi = qEnvironmentVariable("CI") == QStringLiteral("true");
    XvfbDisplay display;
    const PeerRequirement x = PeerRequirement::decide(display.start(), XvfbDisplay::isInstalled(), onCi,
                                                      QStringLiteral("xvfb xdotool"), display.errorText());
    if (x.outcome == PeerRequirement::Outcome::Skip)
        GTEST_SKIP() << x.message;
    ASSERT_EQ(x.outcome, PeerRequirement::Outcome::Ready) << x.message;

    QDir().mkpath(home.path(QStringLiteral("www")));
    QByteArray content(3 * 1024 * 1024 + 123, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(content.data()), content.size() / 4);
    home.writeFile(QStringLiteral("www/file.bin"), content);
    QFile::setPermissions(home.path(QString()), QFile::permissions(home.path(QString())) | QFileDevice::ExeOther);
    QFile::setPermissions(home.path(QStringLiteral("www")), QFile::permissions(home.path(QStringLiteral("www")))
                                                                | QFileDevice::ExeOther | QFileDevice::ReadOther);
    QFile::setPermissions(home.path(QStringLiteral("www/file.bin")), QFileDevice::ReadOwner | QFileDevice::ReadOther);
    NginxServer nginx(home.path(QStringLiteral("www")));
    KEVA_REQUIRE_PEER(nginx);

    QDir().mkpath(home.programFolder() + QStringLiteral("/Lang"));
    QFile::copy(TestHome::binFolder() + QStringLiteral("/Lang/English.ini"), home.programFolder() + QStringLiteral("/Lang/English.ini"));
    QDir().mkpath(home.path(QStringLiteral("user/Downloads")));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display.display());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("HOME"), home.path(QStringLiteral("user")));
    const QString keva = TestHome::binFolder() + QStringLiteral("/KEVA");

    QProcess first;
    first.setProcessEnvironment(environment);
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(keva, {});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(waitFor([] { return WindowDirectory::findWindow("KEVAIEObjectHelperItem", WindowDirectory::Match::Contains).has_value(); },
                        30000))
        << "the running KEVA registers its receiver";

    const QString url = nginx.url(QStringLiteral("/file.bin")).toString();
    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(keva, {url});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 0);

    // The first URL of a session asks where to save it.
    const QString dialog = display.xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--name"),
                                            QStringLiteral("Save file to")},
                                           30000);
    ASSERT_FALSE(dialog.isEmpty()) << "the save dialog appears";
    const QString target = home.path(QStringLiteral("user/Downloads/chosen name.bin"));
    display.xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), dialog.section(QLatin1Char('\n'), 0, 0)});
    display.xdotool({QStringLiteral("key"), QStringLiteral("ctrl+a")});
    display.xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), target});
    display.xdotool({QStringLiteral("key"), QStringLiteral("Return")});

    // The prompt shows the chosen path; Enter presses its default button, Begin Download.
    const QString prompt = display.xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--name"),
                                            QStringLiteral("^Download File$")},
                                           30000);
    ASSERT_FALSE(prompt.isEmpty()) << "the save prompt appears";
    display.xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), prompt.section(QLatin1Char('\n'), 0, 0)});
    display.xdotool({QStringLiteral("key"), QStringLiteral("Return")});

    ASSERT_TRUE(waitFor([&] { return sha256(target) == sha256(home.path(QStringLiteral("www/file.bin"))); }, 60000))
        << "the file arrives byte-exact at the typed path";

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(30000));
    const QByteArray history = home.readFile(QStringLiteral("home/History.ini"));
    EXPECT_TRUE(history.contains(target.toUtf8() + "\r\n100%\r\n")) << history.constData();
    EXPECT_TRUE(history.contains("Download Success\r\n" + url.toUtf8() + "\r\n")) << history.constData();
}

} // namespace
