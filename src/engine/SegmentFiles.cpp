#include "engine/SegmentFiles.h"

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
    QFile* file = files_[static_cast<std::size_t>(i)].get();
    if (!file || !file->isOpen()) {
        *error = QStringLiteral("the file is not open");
        return false;
    }
    if (!file->seek(offset) || file->write(data, size) != size) {
        *error = file->errorString();
        return false;
    }
    return true;
}

void SegmentFiles::truncate(int i)
{
    if (QFile* file = files_[static_cast<std::size_t>(i)].get())
        file->resize(0);
}

void SegmentFiles::sync()
{
    for (const auto& file : files_) {
        if (file && file->isOpen())
            ::fdatasync(file->handle());
    }
}

void SegmentFiles::closeAll()
{
    for (auto& file : files_) {
        if (file)
            file->close();
        file.reset();
    }
}
