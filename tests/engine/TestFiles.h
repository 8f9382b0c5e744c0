#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// The files the peers serve in the engine tests, in a folder every peer may
// read. A gtest environment: the test program registers one (TestFiles.cpp),
// which makes the folder before the first test and removes it after the last.
// Sizes are exact, contents random.
class TestFiles : public testing::Environment {
public:
    // The program's environment, between its SetUp and TearDown.
    static TestFiles& registered();

    void SetUp() override;
    void TearDown() override;

    QString root() const { return folder_->path() + QStringLiteral("/www"); }
    QString path(const QString& name) const { return root() + QLatin1Char('/') + name; }
    // "f<size>.bin" with `size` random bytes; made on first use.
    QString make(qint64 size);
    void write(const QString& name, const QByteArray& content) const;

    static QByteArray sha256(const QString& path);

private:
    std::unique_ptr<QTemporaryDir> folder_;
};
