#pragma once

#include "platform/UniqueFd.h"

#include <QString>

// Keeps one copy of a program running per user: a lock file in the runtime
// folder, held with flock for as long as this object lives.
class InstanceLock {
public:
    explicit InstanceLock(const QString& name);

    // True only when another process holds the lock; a lock that cannot be
    // made at all (no runtime folder) does not keep the program from running.
    bool heldElsewhere() const { return heldElsewhere_; }

private:
    UniqueFd fd_;
    bool heldElsewhere_ = false;
};
