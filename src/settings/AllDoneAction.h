#pragma once

// What happens once every download has ended, as the settings value
// AllDoneAction stores it.
enum class AllDoneAction {
    Nothing = 0,
    RunCommand = 1, // runs the command with the last finished file's path
    Suspend = 2,
    PowerOff = 3,
};

// The action a stored number names; a number that names none is Nothing.
inline AllDoneAction allDoneActionOf(int stored)
{
    return stored >= 0 && stored <= static_cast<int>(AllDoneAction::PowerOff) ? static_cast<AllDoneAction>(stored)
                                                                              : AllDoneAction::Nothing;
}
