#include "KevaOnDisplay.h"

#include "platform/Registry.h"
#include "platform/WindowDirectory.h"

#include "support/PeerRequirement.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <csignal>

void KevaOnDisplay::SetUp()
{
    const bool onCi = qEnvironmentVariable("CI") == QStringLiteral("true");
    const PeerRequirement x = PeerRequirement::decide(display.start(), XvfbDisplay::isInstalled(), onCi,
                                                      QStringLiteral("xvfb xdotool"), display.errorText());
    if (x.outcome == PeerRequirement::Outcome::Skip)
        GTEST_SKIP() << x.message;
    ASSERT_EQ(x.outcome, PeerRequirement::Outcome::Ready) << x.message;

    home.installLanguageFiles();
    QDir().mkpath(home.path(QStringLiteral("user/Downloads")));
    // The desktop's opener only notes what KEVA opens, in opened.txt: no
    // test starts a browser.
    home.writeFile(QStringLiteral("bin/xdg-open"),
                   "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + QFile::encodeName(home.path(QStringLiteral("opened.txt")))
                       + "'\n");
    QFile::setPermissions(home.path(QStringLiteral("bin/xdg-open")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    environment.insert(QStringLiteral("PATH"),
                       home.path(QStringLiteral("bin")) + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));
    environment.insert(QStringLiteral("DISPLAY"), display.display());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("HOME"), home.path(QStringLiteral("user")));
}

void KevaOnDisplay::TearDown()
{
    for (QProcess* process : {&running, &windowManager}) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished();
        }
    }
}

bool KevaOnDisplay::startWindowManager()
{
    // openbox runs its start-up command once it manages the display.
    const QString ready = home.path(QStringLiteral("window-manager-ready"));
    windowManager.setProcessEnvironment(environment);
    windowManager.start(
        QStringLiteral("openbox"),
        {QStringLiteral("--sm-disable"), QStringLiteral("--startup"), QStringLiteral("touch '%1'").arg(ready)});
    return windowManager.waitForStarted() && waitFor([&] { return QFile::exists(ready); }, 20000);
}

bool KevaOnDisplay::waitFor(const std::function<bool()>& done, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QThread::msleep(50);
    return done();
}

bool KevaOnDisplay::startKeva(const QStringList& arguments)
{
    running.setProcessEnvironment(environment);
    running.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    running.start(keva, arguments);
    return running.waitForStarted()
        && waitFor(
               [] {
                   return WindowDirectory::findWindow("KEVAIEObjectHelperItem", WindowDirectory::Match::Contains)
                       .has_value();
               },
               30000);
}

int KevaOnDisplay::secondStart(const QString& commandLine)
{
    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(keva, {commandLine});
    return second.waitForFinished(10000) ? second.exitCode() : -1;
}

QByteArray KevaOnDisplay::terminate()
{
    ::kill(static_cast<pid_t>(running.processId()), SIGTERM);
    running.waitForFinished(30000);
    return home.readFile(QStringLiteral("home/History.ini"));
}

QStringList KevaOnDisplay::windowsNamed(const QString& pattern) const
{
    return display.xdotool({QStringLiteral("search"), QStringLiteral("--name"), pattern})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString KevaOnDisplay::focusWindow(const QString& pattern, int ms) const
{
    const QString window = display
                               .xdotool({QStringLiteral("search"), QStringLiteral("--sync"),
                                         QStringLiteral("--onlyvisible"), QStringLiteral("--name"), pattern},
                                        ms)
                               .section(QLatin1Char('\n'), 0, 0);
    if (!window.isEmpty())
        display.xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    return window;
}

QString KevaOnDisplay::openFromMenu(const QStringList& menuKeys, const QString& dialogPattern) const
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (focusWindow(QStringLiteral("^Quillspan$")).isEmpty())
            return {};
        keys(menuKeys);
        if (const QString dialog = focusWindow(dialogPattern, 10000); !dialog.isEmpty())
            return dialog;
        keys({QStringLiteral("Escape"), QStringLiteral("Escape")});
    }
    return {};
}

void KevaOnDisplay::press(const QString& window, const QString& key) const
{
    display.xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    display.xdotool({QStringLiteral("key"), key});
}

void KevaOnDisplay::keys(const QStringList& names) const
{
    // One key at a time, with a pause, so that menus and pages can follow.
    display.xdotool(QStringList {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("150")} + names);
}

void KevaOnDisplay::typeText(const QString& text) const
{
    display.xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
}

void KevaOnDisplay::storeSetting(const char* name, const char* value)
{
    Registry(home.registryFolder())
        .writeValue(RegistryRoot::HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Quillspan Software\\KEVA 1.0"),
                    QString::fromLatin1(name), QString::fromLatin1(value));
}
