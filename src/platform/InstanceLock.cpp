#include "platform/InstanceLock.h"

#include "platform/WindowDirectory.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>

InstanceLock::InstanceLock(const QString& name)
{
    const std::string folder = WindowDirectory::runtimeFolder();
    if (folder.empty())
        return;
    const std::string path = folder + "/" + QFile::encodeName(name).toStdString() + ".lock";
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!fd.valid())
        return;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        heldElsewhere_ = errno == EWOULDBLOCK;
        return;
    }
    fd_ = std::move(fd);
}
