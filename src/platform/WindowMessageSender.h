#pragma once

// Plain C++ (no Qt): the browser helper library sends with it too.

#include "platform/WindowDirectory.h"

#include <cstdint>
#include <optional>
#include <string>

// Sends a message to a window and waits until the receiver has handled it on
// its UI thread, as SendMessage does. Gives the receiver's result, or nothing
// when the window is gone, refuses the message or does not answer in time.
class WindowMessageSender {
public:
    static std::optional<std::int64_t> send(const WindowHandle& window, std::uint32_t message, std::int64_t wParam,
                                            const std::string& text, int timeoutMs = 60000);
    // WM_SETTEXT with the text.
    static std::optional<std::int64_t> setText(const WindowHandle& window, const std::string& text,
                                               int timeoutMs = 60000);
};
