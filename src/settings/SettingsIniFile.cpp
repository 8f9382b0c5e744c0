#include "settings/SettingsIniFile.h"

#include "platform/AtomicFile.h"
#include "settings/PasswordScrambler.h"

#include <QFile>

namespace {

const QByteArray kLogins = "Logins:";
const QByteArray kLineEnd = "\r\n";

} // namespace

QByteArray SettingsIniFile::serialize(const QString& firstLine, const QList<FileTypeFolder>& fileTypes,
                                      const QList<SiteLogin>& logins)
{
    QByteArray out = firstLine.toUtf8() + kLineEnd;
    for (const FileTypeFolder& row : fileTypes)
        out += row.fileType.toUtf8() + kLineEnd + row.folder.toUtf8() + kLineEnd;
    out += kLogins + kLineEnd;
    for (const SiteLogin& login : logins) {
        out += login.server.toUtf8() + kLineEnd + login.userName.toUtf8() + kLineEnd
            + PasswordScrambler::scramble(login.password) + kLineEnd;
    }
    return out;
}

SettingsIniFile::Content SettingsIniFile::parse(const QByteArray& text)
{
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the end of the last line, not an empty line
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }

    Content content;
    const qsizetype count = lines.size();
    if (count == 0 || lines[0].isEmpty())
        return content;
    content.lastSavePath = QString::fromUtf8(lines[0]);

    // The next line of the file, empty past its end.
    qsizetype next = 1;
    const auto take = [&]() -> QByteArray { return next < count ? lines[next++] : QByteArray(); };
    const auto recordFollows = [&] { return next < count && !lines[next].isEmpty(); };

    while (recordFollows()) {
        const QByteArray line = take();
        if (line != kLogins) {
            const QString fileType = QString::fromUtf8(line);
            content.fileTypes.append({fileType, QString::fromUtf8(take())});
            continue;
        }
        while (recordFollows()) {
            SiteLogin login;
            login.server = QString::fromUtf8(take());
            login.userName = QString::fromUtf8(take());
            login.password = PasswordScrambler::unscramble(take());
            content.logins.append(login);
        }
    }
    return content;
}

bool SettingsIniFile::write(const QString& path, const QString& firstLine, const QList<FileTypeFolder>& fileTypes,
                            const QList<SiteLogin>& logins)
{
    // The logins carry passwords: the file is the user's alone.
    return AtomicFile::write(path, serialize(firstLine, fileTypes, logins), 0600);
}

std::optional<SettingsIniFile::Content> SettingsIniFile::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(file.readAll());
}
