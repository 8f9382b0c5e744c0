#pragma once

#include <QString>

// Opens a file, a folder or a web address with the desktop's default handler.
class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    // Returns false when no handler could be started.
    virtual bool open(const QString& target) = 0;
};
