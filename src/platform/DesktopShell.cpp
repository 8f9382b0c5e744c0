#include "platform/DesktopShell.h"

#include <QProcess>

bool DesktopShell::open(const QString& target)
{
    if (target.isEmpty())
        return false;
    return QProcess::startDetached(QStringLiteral("xdg-open"), {target});
}

bool DesktopShell::run(const QString& program, const QStringList& arguments)
{
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, arguments);
}
