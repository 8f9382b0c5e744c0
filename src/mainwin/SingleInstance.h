#pragma once

#include <QString>
#include <QStringList>

// The check a start makes before anything else: when the program already
// runs (its receiver window can be found by the marker caption), the command
// line is handed to it and this start ends.
class SingleInstance {
public:
    // The arguments after the program name, as one text.
    static QString commandLine(const QStringList& arguments);
    // What a first start takes in as a URL: its command line, unless that is
    // the desktop session's start-up switch, which means nothing.
    static QString firstStartUrl(const QString& commandLine);
    // True when a running instance was found; it then got the URL of
    // `commandLine` (an empty text for an empty command line, which shows its
    // window; nothing for the start-up switch) and this instance must end at
    // once.
    static bool handOff(const QString& commandLine);
};
