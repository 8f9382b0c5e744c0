#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's whole content so that a crash at any moment leaves either
// the old file or the new one, never an empty or half-written file: the bytes
// go to a temporary file in the same folder, which is flushed to disk and then
// renamed over the target.
class AtomicFile {
public:
    // Returns false (and leaves the target untouched) when any step fails.
    // A new file gets `newFileMode`; an existing file keeps its permissions.
    static bool write(const QString& path, const QByteArray& content, int newFileMode = 0644);
};
