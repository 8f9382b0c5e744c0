#include "ServedFiles.h"

#include <QFile>
#include <QRandomGenerator>

ServedFiles::ServedFiles()
{
    write(QStringLiteral("file.bin"), data());
    write(QStringLiteral("header-text.txt"), headerText());
}

const QByteArray& ServedFiles::data()
{
    static const QByteArray bytes = [] {
        QByteArray content(100000, '\0');
        QRandomGenerator generator(20240607);
        for (char& byte : content)
            byte = static_cast<char>(generator.bounded(256));
        return content;
    }();
    return bytes;
}

void ServedFiles::write(const QString& name, const QByteArray& content) const
{
    QFile file(root_.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}
