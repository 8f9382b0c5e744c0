#pragma once

#include <QString>

// The settings dialog's own test of the capture lists for one URL: is its
// server among the ignored servers, is its file type among the monitored
// types. Both lists are read the way the dialog shows them: spaces and line
// breaks dropped, lower-cased, split at ";".
class CaptureTest {
public:
    // The host of the URL, without scheme, user and port.
    static QString serverName(const QString& url);
    // The text after the last "/" of the URL's path.
    static QString fileName(const QString& url);

    // An entry matches the server when it is the server, or when its tail
    // after its last "*" (the whole entry without one) is shorter than the
    // server name and ends it. The server name is compared as given.
    static bool serverListed(const QString& list, const QString& server);
    // The extension is the file name from its last "." on (the whole name
    // without one), compared as given. An entry matches when it is the
    // extension, or has its length and first two characters and holds a "?"
    // after the second.
    static bool typeListed(const QString& list, const QString& fileName);
};
