#pragma once

#include <QString>

#include <optional>

// One command that an FTP peer logged as it arrived: `RETR /file.bin` gives
// the verb "RETR" and the argument "/file.bin". Passwords are not kept:
// ftp_server.py logs `PASS ***`.
struct FtpCommand {
    QString verb;     // upper case
    QString argument; // empty when the command has none

    // Reads a line of either command log: ftp_server.py writes the command as
    // it stands; vsftpd's protocol log holds it quoted at the end of an
    // `FTP command:` line, among lines of other kinds, which give nullopt.
    static std::optional<FtpCommand> parse(const QString& line);
};
