#include "platform/WindowDirectory.h"

#include "platform/UniqueFd.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const std::string kSocketSuffix = ".sock";
const std::string kCaptionSuffix = ".caption";

std::string captionPathOf(const std::string& socketPath)
{
    return socketPath.substr(0, socketPath.size() - kSocketSuffix.size()) + kCaptionSuffix;
}

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool makePrivateFolder(const std::string& folder)
{
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info { };
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return false;
    if ((info.st_mode & 0777) != 0700 && ::chmod(folder.c_str(), 0700) != 0)
        return false;
    return true;
}

std::optional<std::string> readCaption(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::nullopt;
    std::string caption;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && caption.size() < 65536)
        caption.append(buffer, got);
    std::fclose(file);
    return caption;
}

// "w<pid>-<n>.caption" gives <pid>; 0 when the name is not ours.
pid_t pidOfEntry(const std::string& name)
{
    if (name.size() < 2 || name[0] != 'w')
        return 0;
    char* end = nullptr;
    const long pid = std::strtol(name.c_str() + 1, &end, 10);
    return (end && *end == '-' && pid > 0) ? static_cast<pid_t>(pid) : 0;
}

} // namespace

std::string WindowDirectory::runtimeFolder()
{
    if (const char* explicitFolder = std::getenv("KEVA_RUNTIME_DIR"); explicitFolder && *explicitFolder)
        return makePrivateFolder(explicitFolder) ? explicitFolder : std::string();

    std::string folder;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        folder = std::string(runtime) + "/quillspan";
    else
        folder = "/tmp/quillspan-" + std::to_string(::geteuid());
    return makePrivateFolder(folder) ? folder : std::string();
}

std::vector<WindowHandle> WindowDirectory::windows()
{
    std::vector<WindowHandle> found;
    const std::string folder = runtimeFolder();
    if (folder.empty())
        return found;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return found;

    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (endsWith(name, kCaptionSuffix))
            names.push_back(name);
    }
    ::closedir(dir);

    // Registration order: by pid, then by sequence number.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return std::make_pair(pidOfEntry(a), std::atoi(a.c_str() + a.find('-') + 1))
            < std::make_pair(pidOfEntry(b), std::atoi(b.c_str() + b.find('-') + 1));
    });

    for (const std::string& name : names) {
        const std::string base = folder + '/' + name.substr(0, name.size() - kCaptionSuffix.size());
        const std::string socketPath = base + kSocketSuffix;
        if (!isAlive(socketPath, name)) {
            unregister(socketPath);
            continue;
        }
        if (const auto caption = readCaption(base + kCaptionSuffix))
            found.push_back(WindowHandle {socketPath, *caption, 0});
    }
    return found;
}

std::optional<WindowHandle> WindowDirectory::findWindow(const std::string& caption, Match match)
{
    for (WindowHandle& window : windows()) {
        const bool hit = match == Match::Exact ? window.caption == caption
                                               : window.caption.find(caption) != std::string::npos;
        if (hit)
            return window;
    }
    return std::nullopt;
}

WindowHandle WindowDirectory::firstChild(WindowHandle window)
{
    window.child = 1;
    return window;
}

std::string WindowDirectory::newSocketPath(const std::string& folder)
{
    static std::atomic<unsigned> sequence {0};
    return folder + "/w" + std::to_string(::getpid()) + '-' + std::to_string(++sequence) + kSocketSuffix;
}

bool WindowDirectory::writeCaption(const std::string& socketPath, const std::string& caption)
{
    const std::string target = captionPathOf(socketPath);
    std::string temp = target + ".XXXXXX";
    UniqueFd file(::mkstemp(temp.data()));
    if (!file.valid())
        return false;
    const bool ok = ::write(file.get(), caption.data(), caption.size()) == static_cast<ssize_t>(caption.size())
        && file.close();
    if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

void WindowDirectory::unregister(const std::string& socketPath)
{
    ::unlink(captionPathOf(socketPath).c_str());
    ::unlink(socketPath.c_str());
}

bool WindowDirectory::isAlive(const std::string& socketPath, const std::string& entryName)
{
    const pid_t pid = pidOfEntry(entryName);
    if (pid <= 0 || (::kill(pid, 0) != 0 && errno == ESRCH))
        return false;

    // The process lives; make sure the socket still listens (the pid may have
    // been reused, or the window closed without cleaning up).
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    // Non-blocking: a window whose owner is busy accepts nothing, and once its
    // queue is full a blocking connect would wait for that owner, which may be
    // the very thread that looks (a program waiting for another's window).
    // A full queue (EAGAIN) still means the window listens.
    const UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.valid())
        return true; // cannot tell; keep it
    const int result = ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int error = errno;
    return result == 0 || (error != ECONNREFUSED && error != ENOENT);
}
