#pragma once

#include <QString>

#include <optional>

class QWidget;
class TextLookup;

// Asks for a new address of a download whose link expired or moved: one
// line, filled with the address it has, to edit or replace.
class NewAddressDialog {
public:
    // The address typed, without surrounding blanks; nothing when the user
    // cancels, empties the line or leaves the address as it was.
    static std::optional<QString> ask(QWidget* parent, const TextLookup& text, const QString& current);
};
