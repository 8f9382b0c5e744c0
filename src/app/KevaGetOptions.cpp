#include "app/KevaGetOptions.h"

#include "core/Checksum.h"
#include "core/CookieFile.h"
#include "core/NetrcFile.h"
#include "core/SplitUrl.h"
#include "core/UrlLogin.h"
#include "engine/DownloadWindows.h"
#include "engine/RateLimiter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QUrl>

#include <cstdio>
#include <cstring>
#include <termios.h>
#include <unistd.h>

namespace {

// Lines the program writes itself on every request; a header of the same
// name from the user would contradict them.
const QStringList kOwnHeaders {QStringLiteral("Host"),
                               QStringLiteral("Range"),
                               QStringLiteral("Connection"),
                               QStringLiteral("Content-Length"),
                               QStringLiteral("Transfer-Encoding"),
                               QStringLiteral("Proxy-Authorization")};

// A password typed on the terminal, without echo; nothing without a terminal.
std::optional<QString> askPassword(const QString& user)
{
    FILE* tty = std::fopen("/dev/tty", "r+");
    if (!tty)
        return std::nullopt;
    std::fprintf(tty, "Password for %s: ", user.toLocal8Bit().constData());
    std::fflush(tty);
    termios saved {};
    const bool quiet = ::tcgetattr(fileno(tty), &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(fileno(tty), TCSAFLUSH, &silent);
    }
    char line[1024] = {};
    const bool read = std::fgets(line, sizeof line, tty) != nullptr;
    if (quiet)
        ::tcsetattr(fileno(tty), TCSAFLUSH, &saved);
    std::fprintf(tty, "\n");
    std::fclose(tty);
    if (!read)
        return std::nullopt;
    return QString::fromLocal8Bit(line).chopped(line[0] && line[std::strlen(line) - 1] == '\n' ? 1 : 0);
}

} // namespace

QString KevaGetOptions::usage()
{
    return QStringLiteral("usage: kevaget [-o SAVEPATH] [-c | -f] [--limit-rate RATE]\n"
                          "               [--ca-certificate FILE] [--no-check-certificate]\n"
                          "               [--user USER[:PASSWORD]] [--password-from-env VAR] [--netrc]\n"
                          "               [--header \"NAME: VALUE\"]... [--user-agent TEXT] [--referer URL]\n"
                          "               [--load-cookies FILE] [--no-content-disposition]\n"
                          "               [--checksum ALGO=HEX | --checksum-file URL] URL\n"
                          "       kevaget -i FILE [-j N] [-c | -f] [OPTIONS]\n"
                          "  -o SAVEPATH          where to save the file (default: the name the server gives,\n"
                          "                       else the URL's file name, here)\n"
                          "  -i FILE              fetch each URL of FILE (one a line; - for standard input;\n"
                          "                       empty lines and lines starting with # are passed over),\n"
                          "                       each under its own name, here\n"
                          "  -j N                 fetch N URLs of the list at a time (default 1)\n"
                          "  -c                   resume the file when it exists\n"
                          "  -f                   overwrite the file when it exists\n"
                          "  --limit-rate RATE    fetch at most RATE bytes a second, with k or M for\n"
                          "                       kilobytes or megabytes (500k, 1.5M)\n"
                          "  --ca-certificate FILE  trust the authorities in FILE (PEM) for https://\n"
                          "  --no-check-certificate  do not check the server's certificate (unsafe)\n"
                          "  --user USER[:PASSWORD]  log in to the URL's server as USER when it asks (the\n"
                          "                       password is asked on the terminal when it is not given)\n"
                          "  --password-from-env VAR  the password is in the environment variable VAR\n"
                          "  --netrc              take the login for the URL's server from ~/.netrc\n"
                          "  --header \"NAME: VALUE\"  send this header too (repeatable)\n"
                          "  --user-agent TEXT    send TEXT as the User-Agent\n"
                          "  --referer URL        send URL as the page the link was on\n"
                          "  --load-cookies FILE  send the cookies of FILE (cookies.txt format) that apply\n"
                          "  --no-content-disposition  keep the URL's file name, whatever the server names it\n"
                          "  --checksum ALGO=HEX  check the file against this checksum once it is complete;\n"
                          "                       ALGO is sha256, sha512, sha1 or md5 (a URL ending\n"
                          "                       #sha256=HEX says the same)\n"
                          "  --checksum-file URL  take the checksum from the line for the file in the SUMS\n"
                          "                       file at URL (as sha256sum or BSD tools write them)\n"
                          "  -h, --help           show this text\n"
                          "Logins, cookies and headers named Cookie or Authorization go only to the URL's\n"
                          "own server, never to another one a redirect leads to.\n");
}

std::optional<KevaGetOptions> KevaGetOptions::parse(const QStringList& args, QString& problem)
{
    KevaGetOptions options;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (!options.take(args, i, problem))
            return std::nullopt;
        if (options.help)
            return options;
    }
    if (options.url.isEmpty() && options.urlList.isEmpty()) {
        problem = QStringLiteral("no URL given");
        return std::nullopt;
    }
    if (!options.url.isEmpty() && !options.urlList.isEmpty()) {
        problem = QStringLiteral("give a URL or -i FILE, not both");
        return std::nullopt;
    }
    if (!options.urlList.isEmpty() && !options.savePath.isEmpty()) {
        problem = QStringLiteral("-o names one file; with -i each file keeps its own name");
        return std::nullopt;
    }
    if (!options.urlList.isEmpty() && (options.request.checksum || !options.checksumFile.isEmpty())) {
        problem = QStringLiteral("a checksum names one file; it does not go with -i");
        return std::nullopt;
    }
    problem = Checksum::ofUrl(options.url).problem;
    if (problem.isEmpty() && options.request.checksum && !options.checksumFile.isEmpty())
        problem = QStringLiteral("--checksum and --checksum-file exclude each other");
    if (!problem.isEmpty())
        return std::nullopt;
    return options;
}

// Takes the argument at `i` (and its value, moving `i` on).
bool KevaGetOptions::take(const QStringList& args, qsizetype& i, QString& problem)
{
    const QString& arg = args[i];
    const auto value = [&](const QString& what) -> std::optional<QString> {
        if (++i < args.size())
            return args[i];
        problem = QStringLiteral("%1 needs %2").arg(arg, what);
        return std::nullopt;
    };
    if (arg == QStringLiteral("-o")) {
        const auto path = value(QStringLiteral("a save path"));
        savePath = path.value_or(QString());
        return path.has_value();
    }
    if (arg == QStringLiteral("-i")) {
        const auto file = value(QStringLiteral("a file of URLs, or - for standard input"));
        urlList = file.value_or(QString());
        return file.has_value();
    }
    if (arg == QStringLiteral("-j")) {
        // Each download at a time takes a slot of the table, and a slot of a
        // download that just ended is free again only once it is done with.
        constexpr int kMostAtATime = DownloadWindows::kSlots - 1;
        bool number = false;
        parallel = i + 1 < args.size() ? args[++i].toInt(&number) : 0;
        const bool usable = number && parallel >= 1 && parallel <= kMostAtATime;
        if (!usable)
            problem = QStringLiteral("-j needs a number of downloads at a time, from 1 to %1").arg(kMostAtATime);
        return usable;
    }
    if (arg == QStringLiteral("-c") || arg == QStringLiteral("-f")) {
        const FileExistsChoice choice = arg == QStringLiteral("-c") ? FileExistsChoice::Resume
                                                                    : FileExistsChoice::Overwrite;
        if (fileExistsChoice && *fileExistsChoice != choice) {
            problem = QStringLiteral("-c and -f exclude each other");
            return false;
        }
        fileExistsChoice = choice;
        return true;
    }
    if (arg == QStringLiteral("--limit-rate")) {
        limitRate = i + 1 < args.size() ? RateLimiter::parseRate(args[i + 1]) : std::nullopt;
        ++i;
        if (!limitRate)
            problem = QStringLiteral("--limit-rate needs a rate such as 300k or 1.5M");
        return limitRate.has_value();
    }
    if (arg == QStringLiteral("--ca-certificate")) {
        const auto file = value(QStringLiteral("a file"));
        if (file)
            authorities.append(*file);
        return file.has_value();
    }
    if (arg == QStringLiteral("--user")) {
        const auto login = value(QStringLiteral("USER or USER:PASSWORD"));
        if (!login)
            return false;
        const qsizetype colon = login->indexOf(QLatin1Char(':'));
        request.userName = colon < 0 ? *login : login->left(colon);
        if (colon >= 0)
            request.password = login->mid(colon + 1);
        userGiven = true;
        passwordGiven = passwordGiven || colon >= 0;
        return true;
    }
    if (arg == QStringLiteral("--password-from-env")) {
        const auto name = value(QStringLiteral("the name of an environment variable"));
        if (!name)
            return false;
        if (!qEnvironmentVariableIsSet(name->toLocal8Bit().constData())) {
            problem = QStringLiteral("the environment variable %1 is not set").arg(*name);
            return false;
        }
        request.password = qEnvironmentVariable(name->toLocal8Bit().constData());
        passwordGiven = true;
        return true;
    }
    if (arg == QStringLiteral("--header")) {
        const auto header = value(QStringLiteral("\"NAME: VALUE\""));
        if (!header)
            return false;
        const qsizetype colon = header->indexOf(QLatin1Char(':'));
        const QString name = header->left(colon).trimmed();
        if (colon <= 0 || name.isEmpty() || name.contains(QLatin1Char(' ')) || HasControlCharacter(*header)) {
            problem = QStringLiteral("--header needs \"NAME: VALUE\" on one line, not %1").arg(*header);
            return false;
        }
        if (kOwnHeaders.contains(name, Qt::CaseInsensitive)) {
            problem = QStringLiteral("kevaget writes the %1 header itself").arg(name);
            return false;
        }
        request.headers.append({name.toUtf8(), header->mid(colon + 1).trimmed().toUtf8()});
        return true;
    }
    if (arg == QStringLiteral("--user-agent") || arg == QStringLiteral("--referer")) {
        const auto text = value(QStringLiteral("a text"));
        if (!text)
            return false;
        if (HasControlCharacter(*text)) {
            problem = QStringLiteral("%1 must be on one line").arg(arg);
            return false;
        }
        (arg == QStringLiteral("--referer") ? request.browser.referrer : request.browser.userAgent) = *text;
        return true;
    }
    if (arg == QStringLiteral("--checksum")) {
        const auto text = value(QStringLiteral("ALGO=HEX"));
        request.checksum = text ? Checksum::parse(*text, problem) : std::nullopt;
        return request.checksum.has_value();
    }
    if (arg == QStringLiteral("--checksum-file")) {
        const auto file = value(QStringLiteral("the URL of a checksum file"));
        checksumFile = file.value_or(QString());
        return file.has_value();
    }
    if (arg == QStringLiteral("--load-cookies")) {
        const auto file = value(QStringLiteral("a cookies file"));
        cookiesFile = file.value_or(QString());
        return file.has_value();
    }
    // Options without a value: each sets its switch.
    const struct {
        const char* name;
        bool* flag;
        bool value;
    } switches[] = {
        {"--no-check-certificate", &checkCertificates, false},
        {"--no-content-disposition", &contentDisposition, false},
        {"--netrc", &netrc, true},
        {"-h", &help, true},
        {"--help", &help, true},
    };
    for (const auto& option : switches) {
        if (arg == QLatin1String(option.name)) {
            *option.flag = option.value;
            return true;
        }
    }
    if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
        problem = QStringLiteral("unknown option %1").arg(arg);
        return false;
    }
    if (!url.isEmpty()) {
        problem = QStringLiteral("only one URL at a time");
        return false;
    }
    url = arg;
    return true;
}

bool KevaGetOptions::complete(QString& problem)
{
    const UrlLogin inUrl = UrlLogin::split(url);
    const QUrl address(inUrl.url);
    if (!cookiesFile.isEmpty()) {
        QFile file(cookiesFile);
        if (!file.open(QIODevice::ReadOnly)) {
            problem = QStringLiteral("cannot read the cookies file %1: %2").arg(cookiesFile, file.errorString());
            return false;
        }
        request.browser.cookie = QString::fromUtf8(
            CookieFile::cookieHeader(file.readAll(), address, QDateTime::currentDateTimeUtc()));
    }
    if (netrc && !userGiven && !inUrl.present()) {
        QFile file(QDir::home().filePath(QStringLiteral(".netrc")));
        if (file.open(QIODevice::ReadOnly)) {
            if (const auto login = NetrcFile::lookup(file.readAll(), address.host())) {
                request.userName = login->login;
                request.password = login->password;
                passwordGiven = true;
            }
        }
    }
    if (!userGiven && passwordGiven && request.userName.isEmpty())
        request.userName = inUrl.userName; // --password-from-env for the address's user
    return askMissingPassword(problem);
}

bool KevaGetOptions::askMissingPassword(QString& problem)
{
    if (!userGiven || passwordGiven)
        return true;
    const auto password = askPassword(request.userName);
    if (!password) {
        problem = QStringLiteral("--user %1 needs a password: give USER:PASSWORD, --password-from-env VAR, "
                                 "or run on a terminal")
                      .arg(request.userName);
        return false;
    }
    request.password = *password;
    passwordGiven = true;
    return true;
}
