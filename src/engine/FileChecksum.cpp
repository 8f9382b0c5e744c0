#include "engine/FileChecksum.h"

#include <QFile>
#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

namespace {

constexpr qint64 kBlock = 1 << 20;

} // namespace

FileChecksum::FileChecksum(QObject* parent)
    : QObject(parent)
{
    connect(&watcher_, &QFutureWatcherBase::finished, this, [this] {
        if (!watcher_.isCanceled() && watcher_.future().resultCount() > 0)
            emit finished(watcher_.result());
    });
}

FileChecksum::~FileChecksum()
{
    watcher_.cancel();
    watcher_.waitForFinished();
}

FileChecksum::Result FileChecksum::of(const QString& path, QCryptographicHash::Algorithm algorithm,
                                      const std::function<bool()>& stop)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QByteArray(), file.errorString()};
    QCryptographicHash hash(algorithm);
    QByteArray block(kBlock, Qt::Uninitialized);
    for (;;) {
        if (stop && stop())
            return {};
        const qint64 read = file.read(block.data(), kBlock);
        if (read < 0)
            return {QByteArray(), file.errorString()};
        if (read == 0)
            return {hash.result().toHex(), QString()};
        hash.addData(QByteArrayView(block.constData(), read));
    }
}

void FileChecksum::start(const QString& path, QCryptographicHash::Algorithm algorithm)
{
    watcher_.setFuture(QtConcurrent::run([path, algorithm](QPromise<Result>& promise) {
        promise.addResult(of(path, algorithm, [&promise] { return promise.isCanceled(); }));
    }));
}
