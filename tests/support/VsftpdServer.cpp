#include "support/VsftpdServer.h"

#include <QDir>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QTcpServer>

#include <memory>
#include <vector>

namespace {

constexpr quint16 kPassiveLowest = 40000;
constexpr quint16 kPassiveHighest = 60000;
constexpr quint16 kPassivePorts = 8;
constexpr int kRangeAttempts = 20;

// The first port of kPassivePorts consecutive loopback ports that are free
// right now, from a random start so that peers started together differ.
quint16 freePassiveRange()
{
    for (int attempt = 0; attempt < kRangeAttempts; ++attempt) {
        const auto first = static_cast<quint16>(
            QRandomGenerator::global()->bounded(int(kPassiveLowest), int(kPassiveHighest - kPassivePorts)));
        std::vector<std::unique_ptr<QTcpServer>> probes;
        for (quint16 port = first; port < first + kPassivePorts; ++port) {
            probes.push_back(std::make_unique<QTcpServer>());
            if (!probes.back()->listen(QHostAddress::LocalHost, port))
                break;
        }
        if (probes.size() == kPassivePorts && probes.back()->isListening())
            return first;
    }
    return kPassiveLowest;
}

} // namespace

VsftpdServer::VsftpdServer(QString documentRoot)
    : FtpPeerServer(QStringLiteral("/usr/sbin/vsftpd"), QStringLiteral("vsftpd"))
    , documentRoot_(QDir(documentRoot).absolutePath())
{
}

QStringList VsftpdServer::prepare(quint16 port)
{
    const QString emptyFolder = filePath(QStringLiteral("empty"));
    QDir().mkpath(emptyFolder);
    const quint16 passive = freePassiveRange();
    // log_ftp_protocol puts every command into the log file, which is our
    // command log; xferlog_std_format=NO keeps transfers in that same file.
    const QString configuration = QStringLiteral("listen=YES\n"
                                                 "listen_address=127.0.0.1\n"
                                                 "listen_port=%1\n"
                                                 "background=NO\n"
                                                 "anonymous_enable=YES\n"
                                                 "anon_root=%2\n"
                                                 "no_anon_password=YES\n"
                                                 "local_enable=NO\n"
                                                 "write_enable=NO\n"
                                                 "pasv_enable=YES\n"
                                                 "pasv_min_port=%3\n"
                                                 "pasv_max_port=%4\n"
                                                 "port_enable=YES\n"
                                                 "connect_from_port_20=NO\n"
                                                 "secure_chroot_dir=%5\n"
                                                 "seccomp_sandbox=NO\n"
                                                 "isolate=NO\n"
                                                 "isolate_network=NO\n"
                                                 "run_as_launching_user=YES\n"
                                                 "xferlog_enable=YES\n"
                                                 "xferlog_std_format=NO\n"
                                                 "log_ftp_protocol=YES\n"
                                                 "vsftpd_log_file=%6\n")
                                      .arg(port)
                                      .arg(documentRoot_)
                                      .arg(passive)
                                      .arg(passive + kPassivePorts - 1)
                                      .arg(emptyFolder, accessLogPath());
    return {writeFile(QStringLiteral("vsftpd.conf"), configuration)};
}
