#include "platform/DesktopAutostart.h"

#include "support/PeerRequirement.h"
#include "support/TestHome.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

namespace {

bool onCi()
{
    return qEnvironmentVariable("CI") == QStringLiteral("true");
}

// Runs a desktop tool; its exit code and what it wrote.
struct ToolRun {
    int exitCode = -1;
    QString output;
};

ToolRun runTool(const QString& program, const QStringList& arguments)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, arguments);
    if (!tool.waitForFinished(20000))
        return {};
    return {tool.exitCode(), QString::fromLocal8Bit(tool.readAll())};
}

class DesktopAutostartTest : public testing::Test {
protected:
    // Skips (or fails on CI) when the desktop tool is missing.
    bool haveTool(const QString& program, const QString& package)
    {
        const bool installed = QFileInfo(program).isExecutable();
        requirement = PeerRequirement::decide(installed, installed, onCi(), package,
                                              program + QStringLiteral(" is missing"));
        return installed;
    }

    TestHome home;
    PeerRequirement requirement;
    DesktopAutostart autostart {home.configFolder() + QStringLiteral("/autostart")};
};

TEST_F(DesktopAutostartTest, TheFolderFollowsXdgConfigHome)
{
    EXPECT_EQ(DesktopAutostart::defaultFolder(), home.configFolder() + QStringLiteral("/autostart"));
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(DesktopAutostart::defaultFolder(), QDir::homePath() + QStringLiteral("/.config/autostart"));
    qputenv("XDG_CONFIG_HOME", saved);
}

TEST_F(DesktopAutostartTest, WritesAndRemovesTheEntry)
{
    EXPECT_TRUE(autostart.remove(QStringLiteral("Quillspan"))) << "nothing to remove is no failure";
    ASSERT_TRUE(
        autostart.write(QStringLiteral("Quillspan"), QStringLiteral("/opt/q/KEVA"), {QStringLiteral("/STARTUP")}));
    const QString path = home.configFolder() + QStringLiteral("/autostart/Quillspan.desktop");
    EXPECT_EQ(autostart.entryPath(QStringLiteral("Quillspan")), path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nExec=/opt/q/KEVA /STARTUP\n")) << text.constData();
    EXPECT_TRUE(text.contains("\nName=Quillspan\n"));
    EXPECT_EQ(QDir(home.configFolder() + QStringLiteral("/autostart")).entryList(QDir::Files),
              QStringList {QStringLiteral("Quillspan.desktop")})
        << "no temporary file is left";
    EXPECT_TRUE(autostart.remove(QStringLiteral("Quillspan")));
    EXPECT_FALSE(QFileInfo::exists(path));
}

struct ExecCase {
    const char* program;
    const char* exec; // as the file holds it
};

TEST_F(DesktopAutostartTest, QuotesTheExecLine)
{
    const ExecCase cases[] = {
        {"/usr/bin/KEVA", "/usr/bin/KEVA /STARTUP"},
        {"/home/u/my apps/KEVA", "\"/home/u/my apps/KEVA\" /STARTUP"},
        {"/home/u/$HOME/KEVA", "\"/home/u/\\\\$HOME/KEVA\" /STARTUP"},
        {"/home/u/a\"b/KEVA", "\"/home/u/a\\\\\"b/KEVA\" /STARTUP"},
        {"/home/u/a\\b/KEVA", "\"/home/u/a\\\\\\\\b/KEVA\" /STARTUP"},
        {"/home/u/100%/KEVA", "/home/u/100%%/KEVA /STARTUP"},
    };
    for (const ExecCase& c : cases) {
        const QByteArray text = DesktopAutostart::entryText(QStringLiteral("Quillspan"), QString::fromUtf8(c.program),
                                                            {QStringLiteral("/STARTUP")});
        EXPECT_TRUE(text.contains("\nExec=" + QByteArray(c.exec) + "\n")) << c.program << "\n" << text.constData();
    }
}

// The desktop's own checker accepts the entry, for plain and awkward paths.
TEST_F(DesktopAutostartTest, DesktopFileValidateAcceptsTheEntry)
{
    if (!haveTool(QStringLiteral("/usr/bin/desktop-file-validate"), QStringLiteral("desktop-file-utils"))) {
        if (requirement.outcome == PeerRequirement::Outcome::Skip)
            GTEST_SKIP() << requirement.message;
        FAIL() << requirement.message;
    }
    for (const char* program :
         {"/usr/bin/KEVA", "/home/u/my apps/KEVA", "/home/u/$x \"q\"/K\\EVA", "/home/u/100%/KEVA"}) {
        ASSERT_TRUE(
            autostart.write(QStringLiteral("Quillspan"), QString::fromUtf8(program), {QStringLiteral("/STARTUP")}));
        const ToolRun run = runTool(QStringLiteral("/usr/bin/desktop-file-validate"),
                                    {autostart.entryPath(QStringLiteral("Quillspan"))});
        EXPECT_EQ(run.exitCode, 0) << program << ": " << run.output.toStdString();
        EXPECT_TRUE(run.output.isEmpty()) << program << ": " << run.output.toStdString();
    }
}

// A session started through GLib (as GNOME's) runs the entry: the program at
// an awkward path gets "/STARTUP" as its one argument.
TEST_F(DesktopAutostartTest, TheSessionStartsTheProgramWithTheSwitch)
{
    if (!haveTool(QStringLiteral("/usr/bin/gio"), QStringLiteral("libglib2.0-bin"))) {
        if (requirement.outcome == PeerRequirement::Outcome::Skip)
            GTEST_SKIP() << requirement.message;
        FAIL() << requirement.message;
    }
    const QString log = home.path(QStringLiteral("started.txt"));
    const QString program = home.path(QStringLiteral("my apps/$x \"q\"/KEVA"));
    home.writeFile(QStringLiteral("my apps/$x \"q\"/KEVA"),
                   "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > '" + QFile::encodeName(log) + ".part'\nmv '"
                       + QFile::encodeName(log) + ".part' '" + QFile::encodeName(log) + "'\n");
    QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_TRUE(autostart.write(QStringLiteral("Quillspan"), program, {QStringLiteral("/STARTUP")}));

    const ToolRun run = runTool(QStringLiteral("/usr/bin/gio"),
                                {QStringLiteral("launch"), autostart.entryPath(QStringLiteral("Quillspan"))});
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
    const QDeadlineTimer deadline(10000);
    while (!QFileInfo::exists(log) && !deadline.hasExpired())
        QThread::msleep(20);
    EXPECT_EQ(home.readFile(QStringLiteral("started.txt")), QFile::encodeName(program) + "\n/STARTUP\n");
}

} // namespace
