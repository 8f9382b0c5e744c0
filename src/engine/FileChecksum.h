#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <functional>

// The digest of a file on disk, read in blocks of 1 MiB, so that a file of
// any size takes the same little memory. start() hashes on a worker thread
// (a file of gigabytes takes seconds) and tells the result by finished(), on
// this object's thread. A FileChecksum that goes while it hashes stops its
// worker after the block in hand.
class FileChecksum : public QObject {
    Q_OBJECT
public:
    struct Result {
        QByteArray hex; // lower case; empty when the file could not be read
        QString error;  // why it could not
    };

    explicit FileChecksum(QObject* parent = nullptr);
    ~FileChecksum() override;

    // Hashes `path` on this thread; an empty result as soon as `stop` says so.
    static Result of(const QString& path, QCryptographicHash::Algorithm algorithm,
                     const std::function<bool()>& stop = {});

    void start(const QString& path, QCryptographicHash::Algorithm algorithm);
    bool running() const { return watcher_.isRunning(); }

signals:
    void finished(const FileChecksum::Result& result);

private:
    QFutureWatcher<Result> watcher_;
};
