#pragma once

#include <QString>

// What the browser knew of a link it handed over: the page it was on, its
// User-Agent, the cookies it would send to the link, and, for a download the
// browser had started itself, the file name and MIME type it had for it. A
// link that comes without them (a second start of the program, a drop, a
// typed URL) has an empty session, and its requests are the program's own.
struct BrowserSession {
    QString referrer;
    QString userAgent;
    QString cookie; // the value of the Cookie header, for the link's host only
    QString fileName;
    QString mimeType;

    bool isEmpty() const
    {
        return referrer.isEmpty() && userAgent.isEmpty() && cookie.isEmpty() && fileName.isEmpty()
            && mimeType.isEmpty();
    }
    bool operator==(const BrowserSession&) const = default;
};
