#pragma once

#include "engine/SegmentTable.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <array>
#include <memory>

// The target file as each segment's connection writes it: one handle per
// segment, each writing its bytes at their own offsets. A connection's small
// pieces (a few kilobytes each under a speed limit) are gathered into larger
// writes, large ones written as they come; sync() and closeAll() put
// everything gathered on the disk first.
class SegmentFiles {
public:
    // Bytes gathered for one segment before they are written.
    static constexpr qsizetype kGather = 64 * 1024;

    // A new download into `path`: nothing is lost yet.
    void setPath(const QString& path)
    {
        path_ = path;
        lost_ = false;
    }
    // Every byte handed to write() reached the file (false from the first
    // write that failed until the next setPath()).
    bool intact() const { return !lost_; }
    // Opens segment i's handle; on failure `error` says why.
    bool open(int i, QString* error);
    // Writes `size` bytes at the 0-based `offset` (now or with the next
    // pieces); on failure `error` says why.
    bool write(int i, qint64 offset, const char* data, qsizetype size, QString* error);
    // Writes out everything gathered; on failure `error` says why.
    bool flush(QString* error);
    // Cuts the file to nothing through segment i's handle; what was gathered
    // for any segment is dropped.
    void truncate(int i);
    // Puts what was written so far on the disk; false when a byte was lost.
    bool sync();
    void closeAll();

private:
    struct Gathered {
        qint64 offset = 0;
        QByteArray bytes;
    };
    bool flush(int i, QString* error);
    bool put(int i, qint64 offset, const char* data, qsizetype size, QString* error);

    QString path_;
    std::array<std::unique_ptr<QFile>, SegmentTable::kMaxSegments> files_;
    std::array<Gathered, SegmentTable::kMaxSegments> gathered_;
    bool lost_ = false;
};
