#include "mainwin/SingleInstance.h"

#include "mainwin/MainWindowState.h"
#include "platform/WindowDirectory.h"
#include "platform/WindowMessageSender.h"

QString SingleInstance::commandLine(const QStringList& arguments)
{
    return arguments.mid(1).join(QLatin1Char(' '));
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
