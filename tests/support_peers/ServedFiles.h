#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A document root for the peers, holding the files the tests fetch.
class ServedFiles {
public:
    ServedFiles();

    QString folder() const { return root_.path(); }

    // "/file.bin": bytes without a short period, so a wrong offset shows.
    static const QByteArray& data();
    // "/header-text.txt": a body that looks like the end of a header block.
    static QByteArray headerText() { return QByteArrayLiteral("Content-Type: text/html\r\nLocation: x\r\n\r\n"); }

private:
    void write(const QString& name, const QByteArray& content) const;

    QTemporaryDir root_;
};
