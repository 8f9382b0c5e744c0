#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's whole content so that a crash at any moment leaves either
// the old file or the new one, never an empty or half-written file: the bytes
// go to a temporary file in the same folder, which is flushed to disk and then
// renamed over the target.
//
// The temporary file of "<target>" is "<target>.tmp.<pid>.XXXXXX", <pid> being
// the writing process. A process killed during a write leaves it behind;
// removeStaleTemporaries() clears such files at the next start. A temporary
// file is stale when:
//   - its <pid> is not a running process (and is not the caller's own): no
//     one can still be writing it, since a writer renames or removes its file
//     before it ends;
//   - or it has the name of the older form "<target>.XXXXXX" (six letters or
//     digits, without the pid) and was last changed an hour ago or more: a
//     write takes well under a second, so no writer still holds such a file.
// Nothing else in the folder is touched.
class AtomicFile {
public:
    // Returns false (and leaves the target untouched) when any step fails.
    // A new file gets `newFileMode`; an existing file keeps its permissions.
    static bool write(const QString& path, const QByteArray& content, int newFileMode = 0644);

    // Removes the stale temporary files of `path` (see above); returns how many.
    static int removeStaleTemporaries(const QString& path);
};
