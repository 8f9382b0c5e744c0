#include "mainwin/SingleInstance.h"

#include "mainwin/MainWindowState.h"
#include "platform/WindowDirectory.h"
#include "platform/WindowMessageSender.h"
#include "settings/StartupEntry.h"

QString SingleInstance::commandLine(const QStringList& arguments)
{
    return arguments.mid(1).join(QLatin1Char(' '));
}

QString SingleInstance::firstStartUrl(const QString& commandLine)
{
    return commandLine.compare(StartupEntry::kStartupSwitch, Qt::CaseInsensitive) == 0 ? QString() : commandLine;
}

bool SingleInstance::handOff(const QString& commandLine)
{
    const auto running = WindowDirectory::findWindow(MainWindowState::kMarkerCaption.toStdString(),
                                                     WindowDirectory::Match::Contains);
    if (!running)
        return false;
    if (!commandLine.isEmpty())
        WindowMessageSender::setText(WindowDirectory::firstChild(*running), commandLine.toStdString());
    return true;
}
