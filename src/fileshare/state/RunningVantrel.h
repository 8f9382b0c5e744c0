#pragma once

#include <cstdint>

// A start of Vantrel while another copy runs: the running copy is reached
// through its receiver window "vantrelrecdlg" and asked to bring its main
// window to the user.
class RunningVantrel {
public:
    // The receiver's message that asks for the main window.
    static constexpr std::uint32_t kShowWindow = 1327;
    static constexpr int kTimeoutMs = 20000;

    // True when the running copy took the request.
    static bool showWindow();
};
