#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

// Vantsvc run on its own, as a user would, on a free loopback port:
// `Vantsvc --port 0 --bind 127.0.0.1 --publish ...`.
class VantsvcProcess {
public:
    // How it is started, where a test needs more than the built program with
    // the test's own environment.
    struct Launch {
        QString program;                 // empty: <build>/bin/Vantsvc
        QProcessEnvironment environment; // empty: the test's own
        std::function<void()> inChild;   // runs in the new process before the program (to change user)
    };

    explicit VantsvcProcess(const QStringList& folders, const Launch& launch = {});
    ~VantsvcProcess();

    bool started() const { return port_ != 0; }
    std::uint16_t port() const { return port_; }
    QString url(const QString& path) const;
    // Ends it with SIGTERM; its exit code (-1 when it had to be killed).
    int terminate();
    // What it wrote on standard output (the access log) so far.
    QString accessLog();
    QString errors() const { return errors_; }

private:
    QProcess process_;
    QString errors_;
    QString log_;
    std::uint16_t port_ = 0;
};
