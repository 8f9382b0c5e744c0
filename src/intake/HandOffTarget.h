#pragma once

#include "platform/WindowDirectory.h"

#include <QString>

#include <optional>

// The sending side of the hand-off to a running KEVA, shared by a second
// start of KEVA and by the browser helper: the target is the text box of
// the receiver window (the first child of the window whose caption contains
// "KEVAIEObjectHelperItem"), and the URL is set as its text.
class HandOffTarget {
public:
    // The receiver's text box; nothing when no KEVA runs.
    static std::optional<WindowHandle> find();
    // WM_SETTEXT with `text`; true once the receiver has handled it.
    static bool setText(const WindowHandle& target, const QString& text);
};
