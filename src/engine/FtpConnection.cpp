#include "engine/FtpConnection.h"

#include "engine/RateLimiter.h"

#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

bool isPrivate(const QHostAddress& address)
{
    return address.isInSubnet(QHostAddress(QStringLiteral("10.0.0.0")), 8)
        || address.isInSubnet(QHostAddress(QStringLiteral("172.16.0.0")), 12)
        || address.isInSubnet(QHostAddress(QStringLiteral("192.168.0.0")), 16)
        || address.isInSubnet(QHostAddress(QStringLiteral("100.64.0.0")), 10);
}

// An IPv6 address that is no IPv4 address written the IPv6 way.
bool isIpv6Only(const QHostAddress& address)
{
    bool mapped = false;
    address.toIPv4Address(&mapped);
    return address.protocol() == QAbstractSocket::IPv6Protocol && !mapped;
}

// "|1|a.b.c.d|port|" or "|2|v6 address|port|", without a scope.
QByteArray eprtArgument(QHostAddress address, quint16 port)
{
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4);
    if (isIpv4)
        address = QHostAddress(ipv4);
    address.setScopeId(QString());
    return QByteArray(isIpv4 ? "|1|" : "|2|") + address.toString().toLatin1() + '|' + QByteArray::number(port) + '|';
}

} // namespace

FtpConnection::FtpConnection(Callbacks callbacks, QObject* parent)
    : QObject(parent)
    , callbacks_(std::move(callbacks))
    , buffer_(256 * 1024)
{
    connect(&control_, &QTcpSocket::readyRead, this, [this] {
        const QByteArray bytes = control_.readAll();
        for (const FtpReply& reply : reader_.feed(bytes)) {
            if (!open_)
                return;
            deliver(reply);
        }
    });
    connect(&control_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (!open_ || error == QAbstractSocket::RemoteHostClosedError)
            return;
        const QString description = control_.errorString();
        close();
        callbacks_.onControlError(description);
    });
    readLater_.setSingleShot(true);
    connect(&readLater_, &QTimer::timeout, this, &FtpConnection::readData);
    connect(&listener_, &QTcpServer::newConnection, this, [this] {
        QTcpSocket* socket = listener_.nextPendingConnection();
        listener_.close();
        if (socket)
            adoptDataSocket(socket);
    });
}

void FtpConnection::deliver(FtpReply reply)
{
    const bool preliminary = reply.code >= 100 && reply.code < 200;
    if (!sent_.empty()) {
        reply.command = sent_.front();
        if (!preliminary)
            sent_.pop_front();
    }
    callbacks_.onReply(reply);
}

void FtpConnection::open(const QString& host, int port)
{
    close();
    open_ = true;
    reader_.reset();
    sent_.clear();
    control_.connectToHost(host, static_cast<quint16>(port));
}

void FtpConnection::close()
{
    open_ = false;
    control_.abort();
    closeData();
}

void FtpConnection::closeData()
{
    listener_.close();
    if (data_) {
        data_->disconnect(this);
        data_->abort();
        data_.release()->deleteLater();
    }
    held_.clear();
    released_ = false;
    dataClosed_ = false;
    dataEndPending_ = false;
    readLater_.stop();
}

void FtpConnection::send(const QByteArray& command)
{
    const qsizetype blank = command.indexOf(' ');
    sent_.push_back((blank < 0 ? command : command.left(blank)).toUpper());
    control_.write(command + "\r\n");
}

std::optional<FtpConnection::PassiveAddress> FtpConnection::parsePassiveReply(const QString& text)
{
    static const QRegularExpression numbers(QStringLiteral("(\\d+),(\\d+),(\\d+),(\\d+),(\\d+),(\\d+)"));
    const QRegularExpressionMatch match = numbers.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    int parts[6];
    for (int i = 0; i < 6; ++i) {
        parts[i] = match.captured(i + 1).toInt();
        if (parts[i] > 255)
            return std::nullopt;
    }
    PassiveAddress address;
    address.host = QHostAddress(QStringLiteral("%1.%2.%3.%4").arg(parts[0]).arg(parts[1]).arg(parts[2]).arg(parts[3]));
    address.port = static_cast<quint16>(parts[4] * 256 + parts[5]);
    return address;
}

std::optional<quint16> FtpConnection::parseExtendedPassiveReply(const QString& text)
{
    static const QRegularExpression portPattern(QStringLiteral("\\(([\\x21-\\x7e])\\1\\1(\\d{1,5})\\1\\)"));
    const QRegularExpressionMatch match = portPattern.match(text);
    const int port = match.hasMatch() ? match.captured(2).toInt() : 0;
    if (port <= 0 || port > 65535)
        return std::nullopt;
    return static_cast<quint16>(port);
}

QHostAddress FtpConnection::reachableDataHost(const QHostAddress& named, const QHostAddress& controlPeer)
{
    if (named.isNull() || named == QHostAddress(QHostAddress::AnyIPv4) || isIpv6Only(controlPeer))
        return controlPeer;
    if (isPrivate(named) && !isPrivate(controlPeer) && named != controlPeer)
        return controlPeer;
    return named;
}

bool FtpConnection::overIpv6() const
{
    return isIpv6Only(control_.peerAddress());
}

bool FtpConnection::connectPassive(const QString& replyText, quint16* port)
{
    const QHostAddress peer = control_.peerAddress();
    std::optional<PassiveAddress> address;
    if (const auto extendedPort = parseExtendedPassiveReply(replyText))
        address = PassiveAddress {peer, *extendedPort};
    else if (const auto named = parsePassiveReply(replyText))
        address = PassiveAddress {reachableDataHost(named->host, peer), named->port};
    if (!address || address->port == 0)
        return false;
    closeData();
    *port = address->port;
    auto* socket = new QTcpSocket;
    adoptDataSocket(socket);
    socket->connectToHost(address->host, address->port);
    return true;
}

std::optional<QByteArray> FtpConnection::listenActive(bool extended, quint16* port)
{
    closeData();
    const QHostAddress local = control_.localAddress();
    const quint32 ipv4 = local.toIPv4Address();
    if (extended ? local.isNull() : ipv4 == 0)
        return std::nullopt;
    constexpr int kFirst = 6;
    constexpr int kCount = 134;
    const int start = static_cast<int>(QRandomGenerator::global()->bounded(kCount));
    for (int tried = 0; tried < kCount; ++tried) {
        const int p = kFirst + (start + tried) % kCount;
        const auto candidate = static_cast<quint16>(12 * 256 + p);
        if (!listener_.listen(local, candidate))
            continue; // in use: try the next one
        *port = candidate;
        if (extended)
            return eprtArgument(local, candidate);
        return QByteArray::number(ipv4 >> 24) + ',' + QByteArray::number((ipv4 >> 16) & 0xFF) + ','
            + QByteArray::number((ipv4 >> 8) & 0xFF) + ',' + QByteArray::number(ipv4 & 0xFF) + ",12,"
            + QByteArray::number(p);
    }
    return std::nullopt;
}

void FtpConnection::adoptDataSocket(QTcpSocket* socket)
{
    data_.reset(socket);
    socket->setReadBufferSize(limiter_ ? limiter_->socketBuffer() : 0);
    dataClosed_ = false;
    connect(socket, &QTcpSocket::readyRead, this, &FtpConnection::readData);
    connect(socket, &QTcpSocket::disconnected, this, &FtpConnection::dataEnded);
    connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::RemoteHostClosedError)
            return;
        const QString description = data_ ? data_->errorString() : QString();
        callbacks_.onDataError(description);
    });
}

void FtpConnection::readData()
{
    const auto room = static_cast<qint64>(buffer_.size());
    while (data_) {
        const qint64 got = limiter_ ? limiter_->read(*data_, buffer_.data(), room) : data_->read(buffer_.data(), room);
        if (got <= 0)
            break;
        if (released_)
            callbacks_.onData(buffer_.data(), got); // may close the data connection
        else
            held_.append(buffer_.data(), got);
    }
    if (!data_)
        return;
    if (limiter_ && limiter_->holdsBack(*data_)) {
        readLater_.start(limiter_->waitMs());
    } else if (dataEndPending_ && data_->bytesAvailable() == 0) {
        dataEndPending_ = false;
        dataClosed_ = true;
        if (released_)
            callbacks_.onDataClosed();
    }
}

void FtpConnection::dataEnded()
{
    dataEndPending_ = true;
    readData();
}

void FtpConnection::releaseData()
{
    if (released_)
        return;
    released_ = true;
    if (!held_.isEmpty()) {
        const QByteArray held = std::exchange(held_, QByteArray());
        callbacks_.onData(held.constData(), held.size());
    }
    if (dataClosed_)
        callbacks_.onDataClosed();
}
