#pragma once

#include <QString>

// A download address cut around its host part, the one reading that every
// URL cutter of the program shares (the job fields, the server and file name
// of the intake, the capture filters, the per-server limits, the save rules).
//
// A local page (an address starting "res://", or a drive path such as
// "C:\\...") that embeds the real address is read as the text from its
// embedded "http://" on, then from an embedded "ftp://" on. A "#fragment"
// is dropped, and so is everything up to and including the first "://". The host part is the text before
// the first "/" that follows. For addresses other than HTTP, credentials
// ("user:password@") are looked for only inside the host part, so an "@"
// further on belongs to the path.
struct UrlHostPart {
    // The URL contains "http://" or "https://" (any letter case).
    bool isHttp = false;
    // The URL contains "https://" (any letter case).
    bool isHttps = false;
    // Between "://" and the first "/", as written.
    QString hostPart;
    // Not HTTP: the host part up to its first "@", without the "@".
    QString credentials;
    bool hasCredentials = false;
    // The host part less its credentials: host, with ":port" when written.
    // An HTTP address keeps its host part whole.
    QString server;
    // The text from the first "/" after the host part on, with that "/";
    // empty when there is none.
    QString afterHost;

    static UrlHostPart of(const QString& url);
};
