#pragma once

#include <QIcon>
#include <QString>

// The program's pictures, drawn by resources/icons/make_icons.py and
// compiled into the library.
class ProgramIcons {
public:
    static constexpr int kTrayFrames = 4;

    static QIcon program();
    // Frame 0 is the still icon; 1 to 3 animate the arrow while data flows.
    static QIcon trayFrame(int frame);
    // By picture name: "addurl", "addsite", "schedule", "help", the tree's
    // "tree_downloads" ... "tree_month", and "row" for a list row.
    static QIcon named(const QString& name);
};
