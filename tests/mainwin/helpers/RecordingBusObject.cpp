#include "RecordingBusObject.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QStringList>

RecordingBusObject::RecordingBusObject(QString recordPath, QObject* parent)
    : QDBusVirtualObject(parent)
    , recordPath_(std::move(recordPath))
{
}

QString RecordingBusObject::introspect(const QString&) const
{
    return {};
}

bool RecordingBusObject::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    QList<QVariant> arguments = message.arguments();
    if (message.member() == QLatin1String("Emit") && !arguments.isEmpty()) {
        QDBusMessage signal = QDBusMessage::createSignal(message.path(), message.interface(),
                                                         arguments.takeFirst().toString());
        signal.setArguments(arguments);
        connection.send(signal);
        connection.send(message.createReply());
        return true;
    }
    record(message);
    if (message.member() == QLatin1String("Notify"))
        connection.send(message.createReply(QVariant::fromValue(++lastId_)));
    else
        connection.send(message.createReply());
    return true;
}

void RecordingBusObject::record(const QDBusMessage& message) const
{
    QStringList fields {message.member()};
    for (const QVariant& argument : message.arguments()) {
        fields << (argument.metaType().id() == QMetaType::QStringList ? argument.toStringList().join(QLatin1Char(','))
                                                                      : argument.toString());
    }
    // One call, one line: line breaks in the texts are written as "\n".
    const QString line = fields.join(QLatin1Char('\t')).replace(QLatin1Char('\n'), QLatin1String("\\n"));
    QFile file(recordPath_);
    if (file.open(QIODevice::Append))
        file.write(line.toUtf8() + '\n');
}
