#include "mainwin/DesktopNotifier.h"

#include "core/ProgramTitle.h"
#include "platform/ShellOpener.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFileInfo>
#include <QStringList>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// A service that does not answer within this time counts as none: the
// notice goes elsewhere rather than holding the program up.
constexpr int kNotifyReplyMs = 3000;
// The server's own expiry time.
constexpr int kServerExpiry = -1;

} // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection bus, ShellOpener& shell, QObject* parent)
    : QObject(parent)
    , bus_(std::move(bus))
    , shell_(shell)
{
    bus_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(actionInvoked(uint, QString)));
    bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                 SLOT(notificationClosed(uint, uint)));
}

bool DesktopNotifier::notify(const QString& title, const QString& body, const QString& filePath,
                             const QList<Action>& actions)
{
    if (!bus_.isConnected() || !bus_.interface() || !bus_.interface()->isServiceRegistered(kService).value())
        return false;
    QStringList pairs;
    for (const Action& action : actions)
        pairs << action.key << action.caption;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << kProgramTitle << 0U << QString() << title << body << pairs << QVariantMap() << kServerExpiry;
    const QDBusMessage reply = bus_.call(call, QDBus::Block, kNotifyReplyMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    files_.insert(reply.arguments().constFirst().toUInt(), filePath);
    return true;
}

void DesktopNotifier::actionInvoked(uint id, const QString& key)
{
    const auto file = files_.constFind(id);
    if (file == files_.constEnd())
        return;
    if (key == QLatin1String(kOpen))
        shell_.open(*file);
    else if (key == QLatin1String(kOpenFolder))
        shell_.open(QFileInfo(*file).absolutePath());
}

void DesktopNotifier::notificationClosed(uint id, uint)
{
    files_.remove(id);
}
