#pragma once

#include "core/FileExistsChoice.h"
#include "engine/RequestOptions.h"

#include <QString>
#include <QStringList>

#include <optional>

// The command line of kevaget, read into what the run needs. Reading it
// touches no file: a cookies file, the .netrc and a password asked on the
// terminal are read when the run begins (KevaGetOptions::complete).
class KevaGetOptions {
public:
    QString url;
    QString urlList;  // -i: a file of URLs, one a line; "-" for standard input
    int parallel = 1; // -j: downloads of the list at a time
    QString savePath;
    std::optional<FileExistsChoice> fileExistsChoice; // -c or -f, when given
    std::optional<qint64> limitRate;                  // bytes a second
    QStringList authorities;                          // extra trusted certificate files
    bool checkCertificates = true;
    bool contentDisposition = true; // the server's file name, where no -o is given
    bool help = false;
    RequestOptions request;
    bool userGiven = false;     // --user
    bool passwordGiven = false; // a password came with --user or from the environment
    bool netrc = false;
    QString cookiesFile;
    QString checksumFile; // the URL of a SUMS file that names the download's checksum

    // The options of `args` (the program's name first); nothing, with the
    // reason in `problem`, when they cannot be used.
    static std::optional<KevaGetOptions> parse(const QStringList& args, QString& problem);
    static QString usage();

    // Reads what the options name: the cookies file for the address, the
    // login from .netrc when no other is given, a password asked on the
    // terminal for a --user without one. False, with the reason in
    // `problem`, when one of them cannot be had.
    bool complete(QString& problem);
    // The part of complete() that does not depend on the URL: the password
    // asked on the terminal for a --user without one, asked once for a list.
    bool askMissingPassword(QString& problem);

private:
    bool take(const QStringList& args, qsizetype& i, QString& problem);
};
