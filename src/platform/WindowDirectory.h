#pragma once

// Plain C++ (no Qt): the browser helper library finds windows with it too.

#include <optional>
#include <string>
#include <vector>

// Where a window that others must find is registered: a Unix-domain socket
// "w<pid>-<n>.sock" in the per-user runtime folder, with its caption beside it
// in "w<pid>-<n>.caption". Finding a window means matching captions. Entries
// whose process has died, or whose socket no longer answers, are removed
// whenever the folder is listed.
struct WindowHandle {
    std::string socketPath;
    std::string caption;
    unsigned child = 0; // 0: the window itself; 1: its first child control
};

class WindowDirectory {
public:
    // $KEVA_RUNTIME_DIR when set, else $XDG_RUNTIME_DIR/quillspan, else
    // /tmp/quillspan-<uid>. Created with mode 0700 when missing; an existing
    // folder of ours is set back to 0700. Empty when the folder cannot be made
    // private (it belongs to another user, or it cannot be created).
    static std::string runtimeFolder();

    // Every live window, oldest registration first. Removes stale entries.
    static std::vector<WindowHandle> windows();

    enum class Match { Exact, Contains };
    static std::optional<WindowHandle> findWindow(const std::string& caption, Match match);

    // The first child control of a window, as the target of a message.
    static WindowHandle firstChild(WindowHandle window);

    // For the receiving side: a new socket path of this process, and the
    // caption file of a socket path, written atomically.
    static std::string newSocketPath(const std::string& folder);
    static bool writeCaption(const std::string& socketPath, const std::string& caption);
    static void unregister(const std::string& socketPath);

private:
    static bool isAlive(const std::string& socketPath, const std::string& entryName);
};
