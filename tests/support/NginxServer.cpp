#include "support/NginxServer.h"

#include <QDir>

#include <unistd.h>

NginxServer::NginxServer(QString documentRoot)
    : PeerServer(QStringLiteral("/usr/sbin/nginx"), QStringLiteral("nginx-light"))
    , documentRoot_(QDir(documentRoot).absolutePath())
{
}

void NginxServer::addRateLimitedLocation(const QString& prefix, qint64 bytesPerSecond)
{
    addServerText(QStringLiteral("location %1 { alias \"%2/\"; limit_rate %3; }\n")
                      .arg(prefix, documentRoot_)
                      .arg(bytesPerSecond));
}

void NginxServer::addRedirect(const QString& path, const QString& target, int status)
{
    addServerText(QStringLiteral("location = %1 { return %2 \"%3\"; }\n").arg(path).arg(status).arg(target));
}

void NginxServer::addServerText(const QString& text)
{
    serverText_ += text;
}

void NginxServer::addHttpText(const QString& text)
{
    httpText_ += text;
}

void NginxServer::useTls(const QString& certificate, const QString& key)
{
    tls_ = true;
    serverText_ +=
        QStringLiteral("        ssl_certificate \"%1\";\n        ssl_certificate_key \"%2\";\n").arg(certificate, key);
}

QStringList NginxServer::prepare(quint16 port)
{
    // Started as root, the workers would drop to nobody, who may not read the
    // test's folders; they stay root instead.
    const QString user = geteuid() == 0 ? QStringLiteral("user root;\n") : QString();
    QString temporaryPaths;
    for (const char* kind : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"}) {
        const QString name = QLatin1String(kind);
        temporaryPaths += QStringLiteral("    %1_temp_path \"%2\";\n").arg(name, filePath(name));
    }
    const QString configuration =
        QStringLiteral("daemon off;\n"
                       "%1"
                       "worker_processes 1;\n"
                       "pid \"%2\";\n"
                       "error_log \"%3\" info;\n"
                       "events { worker_connections 64; }\n"
                       "http {\n"
                       "    log_format peer '$request|$http_range|$http_user_agent|$status|$body_bytes_sent';\n"
                       "    access_log \"%4\" peer;\n"
                       "%5"
                       "    default_type application/octet-stream;\n"
                       "    server {\n"
                       "        listen 127.0.0.1:%6%9;\n"
                       "        root \"%7\";\n"
                       "%8"
                       "    }\n"
                       "}\n")
            .arg(user, filePath(QStringLiteral("nginx.pid")), errorLogPath(), accessLogPath(),
                 temporaryPaths + httpText_)
            .arg(port)
            .arg(documentRoot_, serverText_, tls_ ? QStringLiteral(" ssl") : QString());
    const QString configurationPath = writeFile(QStringLiteral("nginx.conf"), configuration);
    // -e: errors from before the configuration is read go to our log too.
    return {QStringLiteral("-c"), configurationPath, QStringLiteral("-p"), folder(),
            QStringLiteral("-e"), errorLogPath()};
}
