#include "mainwin/SingleInstance.h"

#include "intake/HandOffTarget.h"
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
    const auto running = HandOffTarget::find();
    if (!running)
        return false;
    // The desktop session's start-up switch, sent when KEVA already runs, is
    // no URL either.
    if (const QString url = firstStartUrl(commandLine); !url.isEmpty())
        HandOffTarget::setText(*running, url);
    return true;
}
