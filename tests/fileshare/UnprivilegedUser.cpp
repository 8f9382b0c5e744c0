#include "UnprivilegedUser.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

std::optional<UnprivilegedUser> UnprivilegedUser::find()
{
    UnprivilegedUser user;
    if (::geteuid() != 0)
        return user;
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody || nobody->pw_uid == 0)
        return std::nullopt;
    user.switches_ = true;
    user.uid_ = nobody->pw_uid;
    user.gid_ = nobody->pw_gid;
    return user;
}

std::function<void()> UnprivilegedUser::becomeInChild() const
{
    if (!switches_)
        return {};
    return [uid = uid_, gid = gid_] {
        // Only async-signal-safe calls here: this runs between fork and exec.
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(126);
    };
}
