#include "support/FtpCommand.h"

namespace {

// vsftpd: `Mon Dec  7 04:43:57 2026 [pid 15077] [ftp] FTP command: Client "127.0.0.1", "REST 500"`.
const QString kVsftpdPid = QStringLiteral(" [pid ");
const QString kVsftpdCommand = QStringLiteral("FTP command: Client \"");
const QString kVsftpdQuotes = QStringLiteral("\", \"");

std::optional<QString> commandText(const QString& line)
{
    if (!line.contains(kVsftpdPid))
        return line;
    const qsizetype marker = line.indexOf(kVsftpdCommand);
    const qsizetype start = marker < 0 ? -1 : line.indexOf(kVsftpdQuotes, marker);
    if (start < 0 || !line.endsWith(QLatin1Char('"')))
        return std::nullopt;
    const qsizetype from = start + kVsftpdQuotes.size();
    return line.mid(from, line.size() - 1 - from);
}

} // namespace

std::optional<FtpCommand> FtpCommand::parse(const QString& line)
{
    const std::optional<QString> text = commandText(line.trimmed());
    if (!text || text->isEmpty())
        return std::nullopt;
    return FtpCommand {text->section(QLatin1Char(' '), 0, 0).toUpper(), text->section(QLatin1Char(' '), 1)};
}
