#pragma once

#include <QString>

#include <QStringList>

// Opens a file, a folder or a web address with the desktop's default handler,
// and starts programs.
class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    // Returns false when no handler could be started.
    virtual bool open(const QString& target) = 0;
    // Starts `program` with `arguments` on its own; the caller does not wait
    // for it. Returns false when it could not be started.
    virtual bool run(const QString& program, const QStringList& arguments) = 0;
};
