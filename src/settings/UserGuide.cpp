#include "settings/UserGuide.h"

#include "platform/ProgramFolder.h"
#include "platform/ShellOpener.h"

QString UserGuidePath(const ProgramFolder& programFolder)
{
    return programFolder.dataFile(QStringLiteral("help/UserGuide.html"));
}

void OpenUserGuide(const ProgramFolder& programFolder, ShellOpener& shell)
{
    shell.open(UserGuidePath(programFolder));
}
