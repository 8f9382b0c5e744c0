#pragma once

#include "core/SiteLogin.h"

#include <QList>
#include <QString>

// The fields of a download job that come from its URL.
struct UrlParts {
    QString Server;
    int Port = 0;
    QString UserName;
    QString Password;
    QString FileName;
    QString RemotePath;
    bool IsHTTP = false; // http:// or https://
    bool IsFTP = false;
    bool IsHTTPS = false;

    bool operator==(const UrlParts&) const = default;
};

// The password sent for anonymous FTP logins.
inline const QString kAnonymousPassword = QStringLiteral("keva@quillspan.invalid");

// The URL starts with a scheme that can be downloaded: "http://",
// "https://" or "ftp://", in any letter case.
bool HasDownloadScheme(const QString& url);

// The text holds a control character (a line break, a tab, a NUL, DEL): no
// address does, and such a text would break the line-wise files that keep URLs.
bool HasControlCharacter(const QString& url);

// The URL names a host that can go on the wire: one is written, and a name
// with characters outside ASCII is a valid internationalised name.
bool HasValidHost(const QString& url);

// An address a download can start from: a download scheme, no control
// character and a valid host.
bool IsDownloadUrl(const QString& url);

// Splits a download URL into the fields of its job, around its host part as
// UrlHostPart reads it. A URL that contains
// "http://" is fetched over HTTP (default port 80, the remote path keeps its
// leading "/"); anything else over FTP (default port 21, the remote path loses
// its leading "/", credentials from "user:password@" or else an anonymous
// login). The server is the host's ASCII form (HostName::onWire), which every
// connection, request and proxy rule takes; it is empty when the host is no
// valid internationalised name. A login stored for the host in `logins`
// (either form of its name) replaces the URL's credentials. For HTTP, "%20"
// in the folder part of the path becomes a blank and the file name keeps it
// (the request line encodes the path again); for FTP the whole path and the
// credentials are percent-decoded once, since the server takes names as they
// are. Parts that cannot be split are left empty (the port 0).
UrlParts SplitUrl(const QString& url, const QList<SiteLogin>& logins);
