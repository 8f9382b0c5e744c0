#pragma once

#include <functional>
#include <optional>

#include <sys/types.h>

// The user a test runs a program as when the modes of files must hold. Root
// reads every file whatever its mode, so under root that is "nobody"; any
// other user is held to the modes already and runs the program as itself.
class UnprivilegedUser {
public:
    // Nothing when the tests run as root and there is no "nobody".
    static std::optional<UnprivilegedUser> find();

    // For a child process: takes on the user before the program starts.
    std::function<void()> becomeInChild() const;

private:
    bool switches_ = false;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
};
