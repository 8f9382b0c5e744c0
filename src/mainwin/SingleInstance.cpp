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
    // A URL is handed over; a plain start (an empty text) asks the running
    // program to show its window. The desktop session's start-up switch, sent
    // when KEVA already runs, asks for nothing.
    const QString url = firstStartUrl(commandLine);
    if (!url.isEmpty() || commandLine.isEmpty())
        HandOffTarget::setText(*running, url);
    return true;
}
