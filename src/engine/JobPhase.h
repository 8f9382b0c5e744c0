#pragma once

// Where a download job stands. The window's buttons follow from it.
enum class JobPhase {
    Idle,         // not started
    Probing,      // asking the server about the file (HTTP), or logging in (FTP)
    Transferring, // the file's bytes flow
    Paused,       // the user paused it; it resumes where it stands
    TimedOut,     // the server did not answer in time; the user may resume it
    Stopped,      // stopped, or closed before its end; a later start may resume it
    Completed,    // every byte is in the file
    Failed,       // ended with an error
    NotFound,     // the FTP server has no such file
    Closed,       // its window is closed
};

// The job connects or transfers.
inline bool phaseRuns(JobPhase phase)
{
    return phase == JobPhase::Probing || phase == JobPhase::Transferring;
}

// A click on cmdPause would resume the job.
inline bool phaseCanResume(JobPhase phase)
{
    return phase == JobPhase::Paused || phase == JobPhase::TimedOut;
}

// The window offers Resume (a stopped job shows it, disabled).
inline bool phaseOffersResume(JobPhase phase)
{
    return phaseCanResume(phase) || phase == JobPhase::Stopped;
}
