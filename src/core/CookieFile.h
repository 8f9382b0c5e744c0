#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QUrl>

// The cookies of a cookies.txt file in the Netscape format that browsers
// export and curl and wget read and write.
class CookieFile {
public:
    // The value of the Cookie header that the cookies of a Netscape cookies.txt text give for `url` at `now` ("a=1;
    // b=2"), empty when none applies. Each line holds seven TAB-separated fields: domain, whether subdomains match
    // (TRUE or FALSE), path, whether only https gets it (TRUE or FALSE), expiry in Unix seconds (0 for a session
    // cookie), name and value; a line of six fields is a cookie with an empty value. A domain may carry the prefix
    // "#HttpOnly_"; other lines starting with "#", blank lines and malformed ones are passed over. Cookies with
    // longer paths come first, the others in the order of the file.
    static QByteArray cookieHeader(const QByteArray& text, const QUrl& url, const QDateTime& now);
};
