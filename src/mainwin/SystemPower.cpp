#include "mainwin/SystemPower.h"

#include <QDBusError>
#include <QDBusMessage>

namespace {

// logind answers once it has taken the request; the machine sleeps after.
constexpr int kLogindReplyMs = 10000;

} // namespace

SystemPower::SystemPower(QDBusConnection bus)
    : bus_(std::move(bus))
{
}

QString SystemPower::suspend()
{
    return call(QStringLiteral("Suspend"));
}

QString SystemPower::powerOff()
{
    return call(QStringLiteral("PowerOff"));
}

QString SystemPower::call(const QString& method)
{
    if (!bus_.isConnected()) {
        const QString why = bus_.lastError().message();
        return why.isEmpty() ? QStringLiteral("no system bus") : why;
    }
    QDBusMessage request = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"),
                                                          QStringLiteral("/org/freedesktop/login1"),
                                                          QStringLiteral("org.freedesktop.login1.Manager"), method);
    request << false; // not interactive
    const QDBusMessage reply = bus_.call(request, QDBus::Block, kLogindReplyMs);
    return reply.type() == QDBusMessage::ErrorMessage ? reply.errorMessage() : QString();
}
