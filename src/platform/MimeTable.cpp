#include "platform/MimeTable.h"

#include <QFile>

MimeTable::MimeTable(QString path)
    : path_(std::move(path))
{
}

QString MimeTable::typeOf(const QString& extension) const
{
    read();
    return typeOfExtension_.value(extension.toLower());
}

QString MimeTable::extensionFor(const QString& type) const
{
    read();
    return extensionOfType_.value(type.toLower());
}

void MimeTable::read() const
{
    if (read_)
        return;
    read_ = true;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().simplified().split(' ');
        if (fields.size() < 2 || fields.first().startsWith('#'))
            continue;
        const QString type = QString::fromUtf8(fields.first());
        const QString typeKey = type.toLower();
        for (qsizetype i = 1; i < fields.size(); ++i) {
            const QString extension = QString::fromUtf8(fields[i]).toLower();
            if (!typeOfExtension_.contains(extension))
                typeOfExtension_.insert(extension, type);
            if (!extensionOfType_.contains(typeKey))
                extensionOfType_.insert(typeKey, extension);
        }
    }
}
