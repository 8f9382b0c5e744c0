#pragma once

#include "support/PeerServer.h"

// nginx (Debian's nginx-light) serving a document root, with an access log
// that shows each request's range and user agent. Locations are added before
// start().
class NginxServer : public PeerServer {
public:
    explicit NginxServer(QString documentRoot);

    // Serves the document root again below `prefix` ("/slow/"), each
    // connection limited to `bytesPerSecond`.
    void addRateLimitedLocation(const QString& prefix, qint64 bytesPerSecond);
    // Answers `path` with `status` (a 3xx) and `target` (a path or a URL) as Location.
    void addRedirect(const QString& path, const QString& target, int status = 302);
    // Adds text as it stands to the server block: location blocks, directives.
    void addServerText(const QString& text);
    // Adds text as it stands to the http block: log formats, types.
    void addHttpText(const QString& text);
    // Serves https:// with `certificate` and its `key` (PEM files).
    void useTls(const QString& certificate, const QString& key);

protected:
    QStringList prepare(quint16 port) override;
    QString scheme() const override { return tls_ ? QStringLiteral("https") : QStringLiteral("http"); }

private:
    QString documentRoot_;
    QString serverText_;
    QString httpText_;
    bool tls_ = false;
};
