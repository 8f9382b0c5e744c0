#pragma once

#include "core/TextLookup.h"

// While this object lives, texts looked up through `text` come from one look
// at the language file (the first), so that a window's many captions do not
// each look at the file again.
class TextReadSession {
public:
    explicit TextReadSession(const TextLookup& text)
        : text_(text)
    {
        text_.hold();
    }
    ~TextReadSession() { text_.release(); }
    TextReadSession(const TextReadSession&) = delete;
    TextReadSession& operator=(const TextReadSession&) = delete;

private:
    const TextLookup& text_;
};
