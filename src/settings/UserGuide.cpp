#include "settings/UserGuide.h"

#include "platform/ProgramFolder.h"
#include "settings/KevaContext.h"

QString UserGuidePath(const ProgramFolder& programFolder)
{
    return programFolder.dataFile(QStringLiteral("help/UserGuide.html"));
}

void OpenUserGuide(KevaContext& context)
{
    context.shell.open(UserGuidePath(context.programFolder));
}
