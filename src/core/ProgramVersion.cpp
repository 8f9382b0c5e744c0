#include "core/ProgramVersion.h"

QString ProgramVersion()
{
    return QStringLiteral("%1.%2").arg(KEVA_VERSION_MAJOR).arg(KEVA_VERSION_MINOR);
}
