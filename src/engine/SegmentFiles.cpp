#include "engine/SegmentFiles.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

bool SegmentFiles::open(int i, QString* error)
{
    auto& file = files_[static_cast<std::size_t>(i)];
    if (file && file->isOpen())
        return true;
    file = std::make_unique<QFile>(path_);
    if (!file->open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        *error = QStringLiteral("Could not open %1 for writing: %2").arg(path_, file->errorString());
        return false;
    }
    return true;
}

bool SegmentFiles::write(int i, qint64 offset, const char* data, qsizetype size, QString* error)
{
    const auto at = static_cast<std::size_t>(i);
    if (!files_[at] || !files_[at]->isOpen()) {
        *error = QStringLiteral("the file is not open");
        return false;
    }
    Gathered& gathered = gathered_[at];
    if (!gathered.bytes.isEmpty()
        && (gathered.offset + gathered.bytes.size() != offset || gathered.bytes.size() + size > kGather)
        && !flush(i, error))
        return false;
    // A large piece is written as it stands: a copy would only cost memory.
    if (size >= kGather / 4)
        return put(i, offset, data, size, error);
    // The gathering grows as small pieces come, and keeps its room for the
    // next one.
    if (gathered.bytes.isEmpty())
        gathered.offset = offset;
    gathered.bytes.append(data, size);
    return gathered.bytes.size() < kGather || flush(i, error);
}

bool SegmentFiles::flush(int i, QString* error)
{
    Gathered& gathered = gathered_[static_cast<std::size_t>(i)];
    const bool written = put(i, gathered.offset, gathered.bytes.constData(), gathered.bytes.size(), error);
    gathered.bytes.resize(0);
    return written;
}

bool SegmentFiles::put(int i, qint64 offset, const char* data, qsizetype size, QString* error)
{
    const int handle = files_[static_cast<std::size_t>(i)]->handle();
    while (size > 0) {
        const ssize_t written = ::pwrite(handle, data, static_cast<size_t>(size), offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            *error = QString::fromLocal8Bit(std::strerror(written < 0 ? errno : ENOSPC));
            lost_ = true;
            return false;
        }
        data += written;
        size -= written;
        offset += written;
    }
    return true;
}

// Every segment's bytes are tried, whatever failed before them; `error`
// tells the first failure.
bool SegmentFiles::flush(QString* error)
{
    bool ok = true;
    for (int i = 0; i < SegmentTable::kMaxSegments; ++i) {
        QString failure;
        if (!gathered_[static_cast<std::size_t>(i)].bytes.isEmpty() && !flush(i, &failure) && ok) {
            *error = failure;
            ok = false;
        }
    }
    return ok;
}

void SegmentFiles::truncate(int i)
{
    for (Gathered& gathered : gathered_)
        gathered.bytes.resize(0);
    if (QFile* file = files_[static_cast<std::size_t>(i)].get())
        file->resize(0);
}

bool SegmentFiles::sync()
{
    QString ignored;
    flush(&ignored);
    for (const auto& file : files_) {
        if (file && file->isOpen())
            ::fdatasync(file->handle());
    }
    return intact();
}

void SegmentFiles::closeAll()
{
    QString ignored;
    flush(&ignored);
    for (auto& file : files_) {
        if (file)
            file->close();
        file.reset();
    }
}
