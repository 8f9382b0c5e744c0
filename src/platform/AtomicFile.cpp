#include "platform/AtomicFile.h"

#include "platform/UniqueFd.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <limits>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const QByteArray& content)
{
    const char* data = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

void syncFolder(const QByteArray& folder)
{
    const UniqueFd fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

// How old a temporary file of the older form, without the writer's pid, must be
// before it counts as stale.
constexpr qint64 kLegacyStaleSeconds = 60 * 60;

bool processRuns(qint64 pid)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    // EPERM: the process runs under another user.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

} // namespace

bool AtomicFile::write(const QString& path, const QByteArray& content, int newFileMode)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    QByteArray temp = target + ".tmp." + QByteArray::number(static_cast<qint64>(::getpid())) + ".XXXXXX";

    UniqueFd file(::mkstemp(temp.data()));
    if (!file.valid())
        return false;

    struct stat existing { };
    const mode_t mode = ::stat(target.constData(), &existing) == 0 ? (existing.st_mode & 07777)
                                                                   : static_cast<mode_t>(newFileMode);

    const bool ok = ::fchmod(file.get(), mode) == 0 && writeAll(file.get(), content) && ::fsync(file.get()) == 0;
    if (!file.close() || !ok || ::rename(temp.constData(), target.constData()) != 0) {
        ::unlink(temp.constData());
        return false;
    }
    syncFolder(folder);
    return true;
}

int AtomicFile::removeStaleTemporaries(const QString& path)
{
    const QFileInfo target(path);
    const QString name = QRegularExpression::escape(target.fileName());
    static const QString kRandom = QStringLiteral("[A-Za-z0-9]{6}");
    const QRegularExpression withPid(QLatin1Char('^') + name + QStringLiteral("\\.tmp\\.([0-9]{1,10})\\.") + kRandom
                                     + QLatin1Char('$'));
    const QRegularExpression legacy(QLatin1Char('^') + name + QStringLiteral("\\.") + kRandom + QLatin1Char('$'));
    const QDateTime now = QDateTime::currentDateTimeUtc();

    // Only names that begin with the file's are looked at more closely: a
    // folder of many files is listed without a look at each of them.
    const QString prefix = target.fileName() + QLatin1Char('.');
    int removed = 0;
    QDirIterator entries(target.absolutePath(), QDir::Files | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        entries.next();
        if (!entries.fileName().startsWith(prefix))
            continue;
        const QFileInfo entry = entries.fileInfo();
        bool stale = false;
        if (const QRegularExpressionMatch match = withPid.match(entry.fileName()); match.hasMatch()) {
            const qint64 pid = match.captured(1).toLongLong();
            stale = pid != static_cast<qint64>(::getpid()) && !processRuns(pid);
        } else if (legacy.match(entry.fileName()).hasMatch()) {
            stale = entry.lastModified().toUTC().secsTo(now) >= kLegacyStaleSeconds;
        }
        if (stale && QFile::remove(entry.absoluteFilePath()))
            ++removed;
    }
    return removed;
}
