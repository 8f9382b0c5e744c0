#pragma once

#include "platform/ShellOpener.h"

#include <QStringList>

#include <QList>

// Records what would have been opened or started, and does nothing.
class RecordingShell : public ShellOpener {
public:
    bool open(const QString& target) override
    {
        opened.append(target);
        return true;
    }
    bool run(const QString& program, const QStringList& arguments) override
    {
        started.append(QStringList {program} + arguments);
        return true;
    }

    QStringList opened;
    // Each start: the program, then its arguments.
    QList<QStringList> started;
};
