#pragma once

#include <QString>

// The file name of a URL: the text after the last "/" of its path, empty
// when the path ends with "/" or is empty. Queries and fragments stay.
QString GetFileName(const QString& url);

// The extension of a file name: the text after its last ".", empty when
// it has none. Whatever follows the dot counts ("php?id=3").
QString GetExtensionName(const QString& fileName);

// The server of a URL as written: the host, with ":port" when the URL names
// one (credentials before "@" in the host part dropped for FTP and other
// schemes; an "@" in the path stays in the path).
QString GetServerName(const QString& url);
