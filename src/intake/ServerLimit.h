#pragma once

#include <QString>

struct DialogSettings;

// How many downloads from one server the settings allow for a URL: the
// HTTP limit for "http" addresses, the FTP limit for "ftp" ones, 0 for any
// other. A limit that is no whole number counts as the dialog's default, 3.
int ServerLimit(const DialogSettings& settings, const QString& url);
