#pragma once

#include "core/BrowserSession.h"

#include <QString>

class MimeTable;

// The three tests that decide whether a URL is taken over: a usable file
// extension, a monitored file type, and a server that is not ignored. The
// lists are ";"-separated; a "?" (types) or "*" (servers) makes an entry
// match wherever the rest of it occurs in the name.
bool IsValidExt(const QString& ext);
bool IsExtPermitted(const QString& url, const QString& monitorTypes);
// The same test for an extension (without its dot).
bool IsTypePermitted(const QString& ext, const QString& monitorTypes);

// The extension the filters judge a link by: the URL's own. When that is no
// usable extension ("download.php?id=7") and the browser had started the
// download, the extension of the browser's file name for it serves instead,
// and failing that one the MIME table lists for the browser's type.
QString CapturedExtension(const QString& url, const BrowserSession& session, const MimeTable& mimeTable);
bool IsServerPermitted(const QString& url, const QString& monitorServer);
