#include "settings/RpcSecret.h"

#include <QByteArray>
#include <QRandomGenerator>

#include <array>

QString makeRpcSecret()
{
    std::array<quint32, 4> bits {};
    QRandomGenerator::system()->fillRange(bits.data(), bits.size());
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(bits.data()), static_cast<qsizetype>(sizeof(bits))).toHex());
}
