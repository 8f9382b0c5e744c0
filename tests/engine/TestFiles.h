#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// The files the peers serve in the engine tests, made once per test program
// in a folder every peer may read. Sizes are exact, contents random.
class TestFiles {
public:
    static TestFiles& instance();

    QString root() const { return folder_.path() + QStringLiteral("/www"); }
    QString path(const QString& name) const { return root() + QLatin1Char('/') + name; }
    // "f<size>.bin" with `size` random bytes; made on first use.
    QString make(qint64 size);
    void write(const QString& name, const QByteArray& content) const;

    static QByteArray sha256(const QString& path);

private:
    TestFiles();

    QTemporaryDir folder_;
};
