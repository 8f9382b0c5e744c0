#include "support/SquidServer.h"

#include <QFile>
#include <QProcess>

#include <unistd.h>

SquidServer::SquidServer()
    : ProxyPeerServer(QStringLiteral("/usr/sbin/squid"), QStringLiteral("squid"))
{
}

void SquidServer::requireLogin(const QString& user, const QString& password)
{
    login_ = user + QLatin1Char(':') + password;
}

QString SquidServer::log() const
{
    QFile file(filePath(QStringLiteral("squid-access.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList SquidServer::prepare(quint16 port)
{
    // squid refuses to run as root and changes to its own user, who must
    // write the logs in the test's folder.
    if (geteuid() == 0)
        QFile::setPermissions(folder(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                  | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
    QString access = QStringLiteral("http_access allow localhost\n");
    if (!login_.isEmpty()) {
        const qsizetype colon = login_.indexOf(QLatin1Char(':'));
        QProcess hash;
        hash.start(QStringLiteral("openssl"),
                   {QStringLiteral("passwd"), QStringLiteral("-apr1"), login_.mid(colon + 1)});
        hash.waitForFinished(10000);
        const QString passwords = writeFile(QStringLiteral("passwd"),
                                            login_.left(colon) + QLatin1Char(':')
                                                + QString::fromLatin1(hash.readAllStandardOutput()));
        QFile::setPermissions(passwords, QFile::permissions(passwords) | QFileDevice::ReadOther);
        access = QStringLiteral("auth_param basic program /usr/lib/squid/basic_ncsa_auth \"%1\"\n"
                                "acl users proxy_auth REQUIRED\n"
                                "http_access allow localhost users\n")
                     .arg(passwords);
    }
    const QString configuration = QStringLiteral("http_port 127.0.0.1:%1\n"
                                                 "pid_filename %2\n"
                                                 "cache_log %3\n"
                                                 "logformat peer %rm %ru %>Hs\n"
                                                 "access_log stdio:%4 peer\n"
                                                 "cache deny all\n"
                                                 "cache_mem 8 MB\n"
                                                 "coredump_dir %5\n"
                                                 "shutdown_lifetime 0 seconds\n"
                                                 "%6"
                                                 "http_access deny all\n")
                                      .arg(port)
                                      .arg(filePath(QStringLiteral("squid.pid")), filePath(QStringLiteral("cache.log")),
                                           filePath(QStringLiteral("squid-access.log")), folder(), access);
    return {QStringLiteral("-N"), QStringLiteral("-f"), writeFile(QStringLiteral("squid.conf"), configuration)};
}
