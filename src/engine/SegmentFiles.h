#pragma once

#include "engine/SegmentTable.h"

#include <QFile>
#include <QString>

#include <array>
#include <memory>

// The target file as each segment's connection writes it: one handle per
// segment, each writing its bytes at their own offsets.
class SegmentFiles {
public:
    void setPath(const QString& path) { path_ = path; }
    // Opens segment i's handle; on failure `error` says why.
    bool open(int i, QString* error);
    // Writes `size` bytes at the 0-based `offset`; on failure `error` says why.
    bool write(int i, qint64 offset, const char* data, qsizetype size, QString* error);
    // Cuts the file to nothing through segment i's handle.
    void truncate(int i);
    // Puts what was written so far on the disk.
    void sync();
    void closeAll();

private:
    QString path_;
    std::array<std::unique_ptr<QFile>, SegmentTable::kMaxSegments> files_;
};
