#pragma once

#include "platform/ShellOpener.h"

#include <QStringList>

// Records what would have been opened and opens nothing.
class RecordingShell : public ShellOpener {
public:
    bool open(const QString& target) override
    {
        opened.append(target);
        return true;
    }

    QStringList opened;
};
