#pragma once

#include "support/AccessLogEntry.h"

#include <QHostAddress>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>

// A real server program that a test starts on a free loopback port, with its
// configuration, logs and pid file in a temporary folder of its own. The
// destructor stops it.
class PeerServer {
public:
    virtual ~PeerServer();
    PeerServer(const PeerServer&) = delete;
    PeerServer& operator=(const PeerServer&) = delete;

    // Starts the program and waits until its port accepts connections.
    // False when the program is not installed or did not come up; errorText() says why.
    bool start();
    void stop();

    quint16 port() const { return port_; }
    // SCHEME://127.0.0.1:PORT (or the peer's listenAddress()) followed by
    // `path` (which starts with '/'), the scheme being the peer's protocol.
    QUrl url(const QString& path) const;
    // The temporary folder with the configuration and the logs.
    QString folder() const { return folder_.path(); }

    // The program's full path, where Debian installs it.
    QString program() const { return program_; }
    // The Debian package that installs the program.
    QString package() const { return package_; }
    virtual bool isInstalled() const;
    QString errorText() const { return errorText_; }

    // The requests logged so far. Waits (a few seconds at most) until at least
    // `atLeast` entries are there, since some peers write their log lines
    // only after the answer has gone out.
    QList<AccessLogEntry> accessLog(qsizetype atLeast = 0) const { return logEntries<AccessLogEntry>(atLeast); }
    // The requests logged so far, once `enough` holds for them (a few seconds at most).
    QList<AccessLogEntry> accessLogWhen(const std::function<bool(const QList<AccessLogEntry>&)>& enough) const
    {
        return logEntries<AccessLogEntry>(enough);
    }

protected:
    PeerServer(QString program, QString package);

    // Writes the configuration for `port` (0 when the peer picks its own
    // port) and returns the program's arguments.
    virtual QStringList prepare(quint16 port) = 0;
    // True for a peer that picks its port itself and announces it as
    // `port N` on the first line of its standard output.
    virtual bool announcesPort() const { return false; }
    // Asks the peer to write out the access log lines it holds back.
    virtual void flushAccessLog() const { }
    // The scheme of url().
    virtual QString scheme() const { return QStringLiteral("http"); }
    // The loopback address the peer listens on.
    virtual QHostAddress listenAddress() const { return QHostAddress(QHostAddress::LocalHost); }

    // The lines of the access log that Entry::parse accepts. Waits (a few
    // seconds at most) until `enough` holds for them.
    template <typename Entry> QList<Entry> logEntries(const std::function<bool(const QList<Entry>&)>& enough) const
    {
        QList<Entry> entries;
        waitForAccessLog([&](const QByteArray& log) {
            entries.clear();
            for (const QByteArray& line : log.split('\n')) {
                if (const auto entry = Entry::parse(QString::fromUtf8(line)))
                    entries.append(*entry);
            }
            return enough(entries);
        });
        return entries;
    }
    // The same, once there are at least `atLeast` of them.
    template <typename Entry> QList<Entry> logEntries(qsizetype atLeast) const
    {
        return logEntries<Entry>([atLeast](const QList<Entry>& entries) { return entries.size() >= atLeast; });
    }

    QString filePath(const QString& name) const { return folder_.filePath(name); }
    // Writes a file (a configuration) into the folder and returns its path.
    QString writeFile(const QString& name, const QString& text) const;
    qint64 processId() const { return process_.processId(); }
    // Where the peer writes its errors; its standard error goes there too.
    QString errorLogPath() const { return filePath(QStringLiteral("error.log")); }
    QString accessLogPath() const { return filePath(QStringLiteral("access.log")); }

private:
    // Hands the whole access log to `enough` again and again until it answers
    // true or a few seconds have passed.
    void waitForAccessLog(const std::function<bool(const QByteArray&)>& enough) const;
    bool launch();
    bool readAnnouncedPort();
    bool waitUntilAccepting();
    void fail(const QString& reason);

    QString program_;
    QString package_;
    QTemporaryDir folder_;
    QProcess process_;
    quint16 port_ = 0;
    QString errorText_;
};
