// A fake D-Bus service for the tests, run under dbus-run-session:
//   fake_bus_service SERVICE PATH RECORD
// owns SERVICE ("-": none) on the session bus, records the calls made to the
// object at PATH into the file RECORD (see RecordingBusObject), prints the
// bus's address once it serves, and serves until its standard input ends
// (the test closes it, or the test is gone); dbus-run-session then ends the
// bus.
#include "RecordingBusObject.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QSocketNotifier>

#include <unistd.h>

#include <iostream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4) {
        std::cerr << "usage: fake_bus_service SERVICE PATH RECORD\n";
        return 2;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    RecordingBusObject object(arguments[3]);
    if (!bus.registerVirtualObject(arguments[2], &object)) {
        std::cerr << "cannot register the object: " << bus.lastError().message().toStdString() << '\n';
        return 1;
    }
    if (arguments[1] != QLatin1String("-") && !bus.registerService(arguments[1])) {
        std::cerr << "cannot own the name: " << bus.lastError().message().toStdString() << '\n';
        return 1;
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            QCoreApplication::quit();
    });
    std::cout << qgetenv("DBUS_SESSION_BUS_ADDRESS").toStdString() << std::endl;
    return QCoreApplication::exec();
}
