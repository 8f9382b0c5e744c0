#pragma once

#include "platform/UniqueFd.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <ctime>
#include <optional>

// A file opened for reading and kept open, with the identity it had when it
// was opened: device, inode, size and modification time to the nanosecond.
//
// isCurrent() tells whether a path still names that same file. Writers that
// replace a file by renaming a new one over it always give it a new inode,
// and since the old file stays open here, its inode number cannot be handed
// to a later file while this object lives: an equal identity means the same
// file, even when its replacement has the same size and time. A file
// rewritten in place is told apart by its size or modification time.
class PinnedFile {
public:
    PinnedFile() = default;

    // Opens `path`; isOpen() is false when it cannot be opened.
    static PinnedFile open(const QString& path);

    bool isOpen() const { return fd_.valid(); }
    // The whole content, read from the start; nothing when reading fails.
    std::optional<QByteArray> readAll() const;
    // True when `path` names the file held here, unchanged since it was opened.
    bool isCurrent(const QString& path) const;

    // True when something, readable or not, is at `path`.
    static bool exists(const QString& path);

private:
    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        time_t modifiedSeconds = 0;
        long modifiedNanoseconds = 0;
        bool operator==(const Identity&) const = default;
    };
    static Identity identityOf(const struct stat& status);

    UniqueFd fd_;
    Identity identity_;
};
