#pragma once

#include <QString>

// The three tests that decide whether a URL is taken over: a usable file
// extension, a monitored file type, and a server that is not ignored. The
// lists are ";"-separated; a "?" (types) or "*" (servers) makes an entry
// match wherever the rest of it occurs in the name.
bool IsValidExt(const QString& ext);
bool IsExtPermitted(const QString& url, const QString& monitorTypes);
bool IsServerPermitted(const QString& url, const QString& monitorServer);
