#pragma once

#include <QHash>
#include <QString>

#include <span>

class TextLookup;

// One captioned control of a window: its name, its language key and the
// English text it shows when the language file has none.
struct CaptionKey {
    const char* control;
    const char* key;
    const char* builtIn;
};

// The captions of a window by control name: the built-in texts, or, with a
// text lookup, the language file's texts with the built-in ones as fallbacks.
QHash<QString, QString> CaptionTable(std::span<const CaptionKey> keys, const TextLookup* text = nullptr);
