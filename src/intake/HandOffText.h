#pragma once

#include "core/BrowserSession.h"

#include <QString>

// The text a URL is handed to the running KEVA in. A URL without a browser
// session is the URL alone, as a second start of KEVA hands it over; with a
// session the URL is followed by a line feed and a compact JSON object of
// the session's non-empty fields ("referrer", "userAgent", "cookie",
// "fileName", "mimeType"). No URL holds a line feed, so the first line is
// always the URL. The text goes only over the user's own socket.
class HandOffText {
public:
    static QString compose(const QString& url, const BrowserSession& session);

    struct Parsed {
        QString url;
        BrowserSession session;
    };
    // A second line that is no JSON object gives the URL with an empty
    // session; a field that is no text is left empty.
    static Parsed parse(const QString& text);
};
