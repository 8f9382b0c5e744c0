#pragma once

#include <QDBusConnection>
#include <QString>

// Suspends or powers off the machine through logind (org.freedesktop.login1
// on the system bus), without asking logind to ask the user: the program has
// asked already.
class SystemPower {
public:
    explicit SystemPower(QDBusConnection bus);

    // Empty when logind took the request, else why it did not.
    QString suspend();
    QString powerOff();

private:
    QString call(const QString& method);

    QDBusConnection bus_;
};
