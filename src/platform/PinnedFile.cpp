#include "platform/PinnedFile.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>

PinnedFile PinnedFile::open(const QString& path)
{
    PinnedFile file;
    UniqueFd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    struct stat status { };
    if (fd.valid() && ::fstat(fd.get(), &status) == 0) {
        file.fd_ = std::move(fd);
        file.identity_ = identityOf(status);
    }
    return file;
}

std::optional<QByteArray> PinnedFile::readAll() const
{
    QByteArray content;
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(fd_.get(), buffer, sizeof buffer, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return content;
        content.append(buffer, got);
        offset += got;
    }
}

bool PinnedFile::isCurrent(const QString& path) const
{
    struct stat status { };
    return isOpen() && ::stat(QFile::encodeName(path).constData(), &status) == 0 && identityOf(status) == identity_;
}

bool PinnedFile::exists(const QString& path)
{
    struct stat status { };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0;
}

PinnedFile::Identity PinnedFile::identityOf(const struct stat& status)
{
    return Identity {status.st_dev, status.st_ino, status.st_size, status.st_mtim.tv_sec, status.st_mtim.tv_nsec};
}
