#include "mainwin/HistoryFile.h"

#include "platform/AtomicFile.h"

#include <QFile>

namespace {

const QByteArray kLineEnd = "\r\n";
const QString kDateFormat = QStringLiteral("M/d/yyyy");

// A text with a line break would shift every later record: keep it on one line.
QByteArray oneLine(const QString& text)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line.toUtf8();
}

} // namespace

std::optional<HistoryFile::Content> HistoryFile::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QList<QByteArray> lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();

    Content content;
    for (qsizetype at = 0; at < lines.size(); at += JobRow::kSubItems) {
        JobRow row;
        for (int k = 1; k <= JobRow::kSubItems; ++k) {
            const qsizetype index = at + k - 1;
            if (index >= lines.size()) {
                content.cutShort = true;
                break;
            }
            QByteArray line = lines[index];
            if (line.endsWith('\r'))
                line.chop(1);
            row.subItems[static_cast<std::size_t>(k)] = QString::fromUtf8(line);
        }
        content.rows.append(row);
    }
    return content;
}

bool HistoryFile::write(const QString& path, const QList<JobRow>& all, const QList<JobRow>& today, const QDate& date)
{
    QByteArray out;
    for (const JobRow& row : all) {
        for (int k = 1; k <= JobRow::kSubItems; ++k)
            out += oneLine(row.subItem(k)) + kLineEnd;
    }
    const QByteArray dated = dateText(date).toUtf8();
    for (const JobRow& row : today) {
        for (int k = 1; k < JobRow::kSubItems; ++k)
            out += oneLine(row.subItem(k)) + kLineEnd;
        out += dated + kLineEnd;
    }
    return AtomicFile::write(path, out);
}

QString HistoryFile::dateText(const QDate& date)
{
    return date.toString(kDateFormat);
}

QDate HistoryFile::parseDate(const QString& text)
{
    return QDate::fromString(text.trimmed(), kDateFormat);
}
