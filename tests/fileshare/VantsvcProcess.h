#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdint>

// Vantsvc run on its own, as a user would, on a free loopback port:
// `Vantsvc --port 0 --bind 127.0.0.1 --publish ...`.
class VantsvcProcess {
public:
    explicit VantsvcProcess(const QStringList& folders);
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
