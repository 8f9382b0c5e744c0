#include "support/PeerServer.h"

#include "support/TestLabels.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace {

constexpr int kStartMilliseconds = 5000;
constexpr int kStopMilliseconds = 3000;
constexpr int kLogWaitMilliseconds = 3000;
constexpr int kPollMilliseconds = 20;
// A port picked by the system can be taken by someone else before the peer
// binds it; a few attempts make that harmless.
constexpr int kAttempts = 3;

quint16 freeLoopbackPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

QString tailOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    constexpr qint64 kTail = 2000;
    file.seek(qMax<qint64>(0, file.size() - kTail));
    return QString::fromUtf8(file.readAll());
}

} // namespace

PeerServer::PeerServer(QString program, QString package)
    : program_(std::move(program))
    , package_(std::move(package))
{
}

PeerServer::~PeerServer()
{
    stop();
}

bool PeerServer::isInstalled() const
{
    return QFileInfo(program_).isExecutable();
}

bool PeerServer::start()
{
    errorText_ = TestLabels::refusal(QStringLiteral("peer"), program_);
    if (!errorText_.isEmpty())
        return false;
    if (!isInstalled()) {
        fail(QStringLiteral("%1 is not installed").arg(program_));
        return false;
    }
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (launch())
            return true;
        stop();
    }
    return false;
}

bool PeerServer::launch()
{
    port_ = announcesPort() ? 0 : freeLoopbackPort();
    const QStringList arguments = prepare(port_);
    QFile::remove(errorLogPath());
    process_.setStandardErrorFile(errorLogPath(), QIODevice::Append);
    process_.setStandardInputFile(QProcess::nullDevice());
    process_.start(program_, arguments);
    if (!process_.waitForStarted(kStartMilliseconds)) {
        fail(process_.errorString());
        return false;
    }
    if (announcesPort() && !readAnnouncedPort())
        return false;
    return waitUntilAccepting();
}

bool PeerServer::readAnnouncedPort()
{
    const QDeadlineTimer deadline(kStartMilliseconds);
    while (!process_.canReadLine() && process_.state() == QProcess::Running && !deadline.hasExpired())
        process_.waitForReadyRead(kPollMilliseconds);
    const QByteArray line = process_.readLine().trimmed();
    if (line.startsWith("port "))
        port_ = line.mid(5).toUShort();
    if (port_ == 0)
        fail(QStringLiteral("no port announced"));
    return port_ != 0;
}

bool PeerServer::waitUntilAccepting()
{
    const QDeadlineTimer deadline(kStartMilliseconds);
    while (process_.state() == QProcess::Running && !deadline.hasExpired()) {
        QTcpSocket probe;
        probe.connectToHost(listenAddress(), port_);
        if (probe.waitForConnected(kPollMilliseconds * 5))
            return true;
        process_.waitForFinished(kPollMilliseconds);
    }
    fail(process_.state() == QProcess::Running ? QStringLiteral("port %1 never accepted a connection").arg(port_)
                                               : QStringLiteral("it exited with status %1").arg(process_.exitCode()));
    return false;
}

void PeerServer::fail(const QString& reason)
{
    errorText_ = QStringLiteral("%1 did not start: %2\n%3").arg(program_, reason, tailOf(errorLogPath()));
}

void PeerServer::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(kStopMilliseconds)) {
        process_.kill();
        process_.waitForFinished(kStopMilliseconds);
    }
}

QString PeerServer::writeFile(const QString& name, const QString& text) const
{
    const QString path = filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toUtf8());
    return path;
}

QUrl PeerServer::url(const QString& path) const
{
    QUrl url;
    url.setScheme(scheme());
    url.setHost(listenAddress().toString());
    url.setPort(port_);
    url.setPath(path);
    return url;
}

void PeerServer::waitForAccessLog(const std::function<bool(const QByteArray&)>& enough) const
{
    const QDeadlineTimer deadline(kLogWaitMilliseconds);
    for (;;) {
        flushAccessLog();
        QFile file(accessLogPath());
        const QByteArray log = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        if (enough(log) || deadline.hasExpired())
            return;
        QThread::msleep(kPollMilliseconds);
    }
}
