#include "RpcTestClient.h"

#include <QHostAddress>
#include <QTest>
#include <QtEndian>

namespace {

qsizetype httpSize(const QByteArray& bytes)
{
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    if (end < 0)
        return 0;
    const qsizetype at = bytes.toLower().indexOf("content-length:");
    const qsizetype length = at < 0 || at > end
        ? 0
        : bytes.mid(at + 15, bytes.indexOf('\r', at) - at - 15).trimmed().toLongLong();
    return bytes.size() >= end + 4 + length ? end + 4 + length : 0;
}

qsizetype frameSize(const QByteArray& bytes)
{
    if (bytes.size() < 2)
        return 0;
    qsizetype head = 2;
    qsizetype length = static_cast<quint8>(bytes[1]) & 0x7F;
    if (length == 126) {
        head = 4;
        length = bytes.size() < 4 ? 1 << 30 : qFromBigEndian<quint16>(bytes.constData() + 2);
    } else if (length == 127) {
        head = 10;
        length = bytes.size() < 10 ? 1 << 30 : static_cast<qsizetype>(qFromBigEndian<quint64>(bytes.constData() + 2));
    }
    return bytes.size() >= head + length ? head + length : 0;
}

} // namespace

RpcTestClient::RpcTestClient(quint16 port)
{
    socket_.connectToHost(QHostAddress::LocalHost, port);
    QObject::connect(&socket_, &QTcpSocket::readyRead, [this] { received_ += socket_.readAll(); });
}

void RpcTestClient::send(const QByteArray& bytes)
{
    socket_.write(bytes);
}

QByteArray RpcTestClient::take(qsizetype (*size)(const QByteArray&))
{
    static_cast<void>(QTest::qWaitFor([&] { return size(received_) > 0; }, 5000)); // what came is checked by the caller
    const qsizetype whole = size(received_);
    const QByteArray unit = received_.left(whole);
    received_.remove(0, whole);
    return unit;
}

QByteArray RpcTestClient::response()
{
    return take(&httpSize);
}

std::pair<int, QByteArray> RpcTestClient::frame()
{
    const QByteArray bytes = take(&frameSize);
    if (bytes.isEmpty())
        return {-1, {}};
    const qsizetype head = (bytes[1] & 0x7F) == 126 ? 4 : (bytes[1] & 0x7F) == 127 ? 10 : 2;
    return {bytes[0] & 0x0F, bytes.mid(head)};
}

bool RpcTestClient::closedWithin(int ms)
{
    return QTest::qWaitFor([this] { return socket_.state() == QAbstractSocket::UnconnectedState; }, ms);
}

QByteArray RpcTestClient::maskedFrame(int opcode, const QByteArray& payload, bool fin)
{
    QByteArray frame;
    frame.append(static_cast<char>((fin ? 0x80 : 0) | opcode));
    if (payload.size() < 126) {
        frame.append(static_cast<char>(0x80 | payload.size()));
    } else {
        frame.append(static_cast<char>(0x80 | 127));
        char length[8];
        qToBigEndian(static_cast<quint64>(payload.size()), length);
        frame.append(length, 8);
    }
    const QByteArray mask("\x12\x34\x56\x78", 4);
    frame += mask;
    for (qsizetype i = 0; i < payload.size(); ++i)
        frame.append(static_cast<char>(payload[i] ^ mask[i % 4]));
    return frame;
}
