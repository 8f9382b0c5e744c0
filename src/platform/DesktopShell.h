#pragma once

#include "platform/ShellOpener.h"

// Opens targets through xdg-open, detached, so the program never waits on it.
class DesktopShell : public ShellOpener {
public:
    bool open(const QString& target) override;
};
