#pragma once

#include "platform/ShellOpener.h"

// Opens targets through xdg-open and starts programs, detached, so the
// program never waits on them.
class DesktopShell : public ShellOpener {
public:
    bool open(const QString& target) override;
    bool run(const QString& program, const QStringList& arguments) override;
};
