#include "mainwin/ui/ProgramIcons.h"

QIcon ProgramIcons::program()
{
    return named(QStringLiteral("keva"));
}

QIcon ProgramIcons::trayFrame(int frame)
{
    return named(QStringLiteral("tray%1").arg(frame >= 0 && frame < kTrayFrames ? frame : 0));
}

QIcon ProgramIcons::named(const QString& name)
{
    return QIcon(QStringLiteral(":/icons/%1.png").arg(name));
}
