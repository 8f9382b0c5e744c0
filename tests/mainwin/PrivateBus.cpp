#include "PrivateBus.h"

#include "support/TestHome.h"
#include "support/TestLabels.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace {

const QString kRunSession = QStringLiteral("/usr/bin/dbus-run-session");

} // namespace

PrivateBus::PrivateBus(QString service, QString path)
    : service_(std::move(service))
    , path_(std::move(path))
    , connectionName_(QStringLiteral("private-bus-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

PrivateBus::~PrivateBus()
{
    QDBusConnection::disconnectFromBus(connectionName_);
    // The service ends with its input, and the bus with the service.
    process_.closeWriteChannel();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

bool PrivateBus::isInstalled()
{
    return QFileInfo(kRunSession).isExecutable();
}

bool PrivateBus::start()
{
    errorText_ = TestLabels::refusal(QStringLiteral("peer"), kRunSession);
    if (!errorText_.isEmpty())
        return false;
    if (!isInstalled()) {
        errorText_ = kRunSession + QStringLiteral(" is not installed");
        return false;
    }
    process_.start(kRunSession,
                   {QStringLiteral("--"), TestHome::binFolder() + QStringLiteral("/fake_bus_service"),
                    service_.isEmpty() ? QStringLiteral("-") : service_, path_,
                    folder_.filePath(QStringLiteral("calls"))});
    QByteArray address;
    const QDeadlineTimer deadline(10000);
    while (!address.endsWith('\n') && !deadline.hasExpired() && process_.waitForReadyRead(deadline.remainingTime()))
        address += process_.readAllStandardOutput();
    if (!address.endsWith('\n')) {
        errorText_ = QStringLiteral("the fake service did not come up: ")
            + QString::fromLocal8Bit(process_.readAllStandardError());
        return false;
    }
    const QDBusConnection bus = QDBusConnection::connectToBus(QString::fromUtf8(address.trimmed()), connectionName_);
    if (!bus.isConnected()) {
        errorText_ = QStringLiteral("cannot connect to the bus: ") + bus.lastError().message();
        return false;
    }
    return true;
}

QStringList PrivateBus::calls(qsizetype atLeast) const
{
    QStringList lines;
    const QDeadlineTimer deadline(5000);
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QFile file(folder_.filePath(QStringLiteral("calls")));
        lines = file.open(QIODevice::ReadOnly)
            ? QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)
            : QStringList();
    } while (lines.size() < atLeast && !deadline.hasExpired());
    return lines;
}

void PrivateBus::emitSignal(const QString& interface, const QString& name, const QVariantList& arguments) const
{
    QDBusMessage call = QDBusMessage::createMethodCall(service_, path_, interface, QStringLiteral("Emit"));
    call.setArguments(QVariantList {name} + arguments);
    connection().call(call);
}
