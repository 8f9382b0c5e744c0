#pragma once

#include "support/PeerRequirement.h"

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

// A bus of the test's own, made by dbus-run-session, with the fake service
// fake_bus_service on it: it owns `service` (none when empty) and records
// each call made to its object at `path`. The destructor ends the bus.
class PrivateBus {
public:
    PrivateBus(QString service, QString path);
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Starts the bus and the service; false when it did not come up
    // (errorText() says why).
    bool start();
    static bool isInstalled();
    static QString package() { return QStringLiteral("dbus-daemon"); }
    QString errorText() const { return errorText_; }

    // The test's connection to the bus.
    QDBusConnection connection() const { return QDBusConnection(connectionName_); }
    // The calls recorded so far, one line each, once there are `atLeast`
    // (a few seconds at most).
    QStringList calls(qsizetype atLeast = 0) const;
    // Has the service send the signal `name` of `interface` with `arguments`.
    void emitSignal(const QString& interface, const QString& name, const QVariantList& arguments) const;

private:
    QString service_;
    QString path_;
    QTemporaryDir folder_;
    QProcess process_;
    QString connectionName_;
    QString errorText_;
};

// Starts `bus` at the top of a test and skips or fails the test as
// PeerRequirement decides.
#define KEVA_REQUIRE_BUS(bus)                                                                                          \
    do {                                                                                                               \
        const PeerRequirement kevaBusRequirement = PeerRequirement::decide(                                            \
            (bus).start(), PrivateBus::isInstalled(), qEnvironmentVariable("CI") == QStringLiteral("true"),            \
            PrivateBus::package(), (bus).errorText());                                                                 \
        if (kevaBusRequirement.outcome == PeerRequirement::Outcome::Skip) {                                            \
            GTEST_SKIP() << kevaBusRequirement.message;                                                                \
        }                                                                                                              \
        if (kevaBusRequirement.outcome == PeerRequirement::Outcome::Fail) {                                            \
            FAIL() << kevaBusRequirement.message;                                                                      \
        }                                                                                                              \
    } while (false)
