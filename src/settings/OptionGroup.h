#pragma once

#include <initializer_list>

// Option buttons of one group: exactly one holds; with none, the first.
inline void keepOneOption(std::initializer_list<bool*> group)
{
    bool seen = false;
    for (bool* option : group) {
        *option = *option && !seen;
        seen = seen || *option;
    }
    if (!seen)
        **group.begin() = true;
}
