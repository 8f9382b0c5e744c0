// kevaget: the download engine of KEVA without windows.
//
//   kevaget [-o SAVEPATH] [-c | -f] [OPTIONS] URL   (kevaget --help lists them)
//   kevaget -i FILE [-j N] [-c | -f] [OPTIONS]
//
// Fetches URL into SAVEPATH (default: the name the server gives the file, else
// the URL's file name, in the current folder) with the same settings as KEVA.
// An existing target is resumed with -c and overwritten with -f; without
// either it is left alone. With a checksum (--checksum, --checksum-file or a
// "#sha256=HEX" fragment) the complete file is checked against it. Exits 0
// once the file is complete (and checked), else 1 with the reason. With -i,
// every URL of FILE is fetched that way (UrlListRun), N at a time, and the run
// exits 0 only when every file is complete.
#include "app/ConsolePrompter.h"
#include "app/KevaGetChecks.h"
#include "app/KevaGetOptions.h"
#include "app/UrlListRun.h"
#include "core/Checksum.h"
#include "core/Formatting.h"
#include "core/NetworkName.h"
#include "core/UrlList.h"
#include "engine/DownloadWindows.h"
#include "engine/RateLimiter.h"
#include "engine/TlsTrust.h"
#include "platform/DesktopShell.h"
#include "platform/ProgramFolder.h"
#include "platform/TerminationSignals.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <cstring>
#include <functional>
#include <unistd.h>

namespace {

int usage(const QString& problem)
{
    QTextStream err(stderr);
    if (!problem.isEmpty())
        err << "kevaget: " << problem << '\n';
    err << KevaGetOptions::usage();
    return 2;
}

// A password given on the command line is blanked in the process's own
// arguments, so that a process listing no longer shows it.
void hidePassword(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--user") != 0)
            continue;
        if (char* colon = std::strchr(argv[i + 1], ':'))
            std::memset(colon + 1, '*', std::strlen(colon + 1));
    }
}

// The URLs of -i's file, or of standard input for "-"; nothing, with the
// reason in `problem`, when it cannot be read or holds no URL.
std::optional<QStringList> readUrlList(const QString& name, QString& problem)
{
    QFile file(name);
    const bool opened = name == QStringLiteral("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                    : file.open(QIODevice::ReadOnly);
    if (!opened) {
        problem = QStringLiteral("can not read the list %1: %2").arg(name, file.errorString());
        return std::nullopt;
    }
    const QStringList urls = UrlList::parse(QString::fromUtf8(file.readAll()));
    if (urls.isEmpty()) {
        problem = QStringLiteral("the list %1 holds no URL").arg(name);
        return std::nullopt;
    }
    return urls;
}

// The checksum for `fileName` in the SUMS file at `sumsUrl`, fetched first by
// a job of its own into a folder of this run; nothing, with the reason in
// `problem`, when it cannot be fetched or has no line for the file.
std::optional<Checksum> checksumFromFile(DownloadWindows& windows, const QString& sumsUrl, const QString& fileName,
                                         QString& problem)
{
    const QTemporaryDir folder;
    int row = -1;
    DownloadJob* job = folder.isValid()
        ? windows.StartJob(sumsUrl, folder.filePath(NetworkName::fileNameOf(sumsUrl)), row)
        : nullptr;
    if (job && !job->completed() && !job->failed()) {
        QEventLoop loop;
        QObject::connect(job, &DownloadJob::completedSuccessfully, &loop, &QEventLoop::quit);
        QObject::connect(job, &DownloadJob::failedWith, &loop, &QEventLoop::quit);
        QObject::connect(job, &DownloadJob::unloaded, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!job || !job->completed()) {
        problem = QStringLiteral("cannot fetch the checksum file %1: %2")
                      .arg(sumsUrl, job ? job->view().lblStatus : QString());
        return std::nullopt;
    }
    QFile sums(job->savePath());
    const auto checksum = sums.open(QIODevice::ReadOnly) ? Checksum::inSumsFile(sums.readAll(), fileName)
                                                         : std::nullopt;
    if (!checksum)
        problem = QStringLiteral("the checksum file %1 has no line for %2").arg(sumsUrl, fileName);
    return checksum;
}

// "45% 10.00 MB / 24.00 MB 2.00 MB/s 00:00:07 left", redrawn in place.
QString progressLine(const DownloadJob& job)
{
    const DownloadJob::Display& view = job.view();
    const QString size = job.contentLength() >= 0 ? FormatSize(static_cast<double>(job.contentLength()))
                                                  : QStringLiteral("?");
    return QStringLiteral("%1 %2 / %3  %4/s  %5 left")
        .arg(view.lblPer.isEmpty() ? QStringLiteral("0%") : view.lblPer, -4)
        .arg(FormatSize(static_cast<double>(job.receivedBytes())), size, FormatSize(job.currentRate()),
             view.lblTimeRemaining.isEmpty() ? QStringLiteral("--:--:--") : view.lblTimeRemaining);
}

// Ctrl-C, SIGTERM or SIGHUP: `stop` stops the downloads the way a pause
// does, keeping what `-c` needs to go on later, and the run ends.
void stopOnTermination(const TerminationSignals& termination, bool terminal, const std::function<void()>& stop)
{
    QObject::connect(&termination, &TerminationSignals::terminationRequested, [terminal, stop](int signalNumber) {
        stop();
        QTextStream err(stderr);
        if (terminal)
            err << "\r\033[K";
        err << "kevaget: interrupted; run again with -c to go on." << Qt::endl;
        QCoreApplication::exit(128 + signalNumber);
    });
}

int runList(DownloadWindows& windows, const KevaGetOptions& options, const QStringList& urls, bool terminal)
{
    UrlListRun run(windows, options, terminal);
    QObject::connect(&run, &UrlListRun::finished, [](int exitCode) { QCoreApplication::exit(exitCode); });
    TerminationSignals termination;
    stopOnTermination(termination, terminal, [&run] { run.interrupt(); });
    QTimer::singleShot(0, &run, [&run, &urls] { run.start(urls); });
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kevaget"));

    QString problem;
    auto options = KevaGetOptions::parse(QCoreApplication::arguments(), problem);
    hidePassword(argc, argv);
    if (!options)
        return usage(problem);
    if (options->help) {
        QTextStream(stdout) << KevaGetOptions::usage();
        return 0;
    }
    const bool list = !options->urlList.isEmpty();
    const auto urls = list ? readUrlList(options->urlList, problem) : std::optional<QStringList>();
    if (list && !urls)
        return usage(problem);
    // Each URL of a list is checked when its turn comes.
    for (const QString& url : {list ? QString() : options->url, options->checksumFile}) {
        if (!url.isEmpty() && !(problem = KevaGetChecks::urlProblem(url)).isEmpty())
            return usage(problem);
    }
    for (const QString& authorities : options->authorities) {
        if (!TlsTrust::addAuthorities(authorities, &problem))
            return usage(problem);
    }
    if (!(list ? options->askMissingPassword(problem) : options->complete(problem)))
        return usage(problem);
    if (!options->checkCertificates) {
        QTextStream(stderr) << "kevaget: warning: server certificates are not checked in this run; anyone between "
                               "you and the server can change what is downloaded\n";
        TlsTrust::checkNothing();
    }

    // A list's files are named and checked one by one, as their turn comes.
    const QString savePath = list     ? QString()
        : options->savePath.isEmpty() ? KevaGetChecks::defaultSavePath(options->url)
                                      : QFileInfo(options->savePath).absoluteFilePath();
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!list && !(problem = KevaGetChecks::targetProblem(savePath, options->fileExistsChoice.has_value())).isEmpty()) {
        err << "kevaget: " << problem << '\n';
        return 2;
    }

    ConsolePrompter prompter;
    DesktopShell shell;
    KevaContext context(ProgramFolder::fromEnvironment(), Registry::defaultFolder(), prompter, shell,
                        QCoreApplication::applicationFilePath());
    LoadSettings(context, LoadReason::Reload);
    if (options->limitRate)
        context.appSettings.SpeedLimit = static_cast<std::int32_t>(
            std::max<qint64>(1, (*options->limitRate + 512) / 1024));

    JobList jobs;
    DownloadWindows windows(context, jobs);
    // Without -c or -f an existing file is kept.
    const FileExistsChoice chosen = options->fileExistsChoice.value_or(FileExistsChoice::Keep);
    windows.askFileExists = [chosen](const QString&) { return chosen; };
    windows.serverFileNames = options->contentDisposition && options->savePath.isEmpty();
    if (!options->checksumFile.isEmpty()) {
        options->request.checksum = checksumFromFile(windows, options->checksumFile,
                                                     NetworkName::fileNameOf(options->url), problem);
        if (!options->request.checksum) {
            err << "kevaget: " << problem << Qt::endl;
            return 1;
        }
    }

    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    if (list)
        return runList(windows, *options, *urls, terminal);
    int exitCode = 1;
    QSet<QString> printed;
    QTimer progress;
    int row = -1;
    DownloadJob* job = nullptr;

    const auto printStatus = [&](const QString& text, bool isError) {
        // The window and the job's row often show the same text; it is told once.
        if (text.isEmpty() || printed.contains(text))
            return;
        printed.insert(text);
        if (terminal)
            err << "\r\033[K";
        (isError ? err : out) << (isError ? QStringLiteral("kevaget: ") : QString()) << text << Qt::endl;
    };

    QTimer::singleShot(0, [&] {
        job = windows.StartJob(options->url, savePath, row, options->request);
        if (!job) {
            QCoreApplication::exit(1);
            return;
        }
        // A wait before a retry is told on stderr (where the failure would
        // be), before the job shows it as its status.
        QObject::connect(job, &DownloadJob::retryScheduled, [&](const QString& text) { printStatus(text, true); });
        QObject::connect(job, &DownloadJob::statusShown, printStatus);
        QObject::connect(job, &DownloadJob::completedSuccessfully, [&] {
            exitCode = 0;
            if (terminal)
                err << "\r\033[K" << progressLine(*job) << Qt::endl;
            out << job->savePath() << Qt::endl;
            QCoreApplication::exit(0);
        });
        QObject::connect(job, &DownloadJob::failedWith, [&](const QString& text) {
            printStatus(text, true);
            QCoreApplication::exit(1);
        });
        QObject::connect(job, &DownloadJob::unloaded, [&] {
            if (!job->completed())
                QCoreApplication::exit(1);
        });
        if (terminal) {
            QObject::connect(&progress, &QTimer::timeout,
                             [&] { err << "\r\033[K" << progressLine(*job) << Qt::flush; });
            progress.start(500);
        }
        if (!job->view().visible && !job->completed())
            QCoreApplication::exit(1); // cancelled before it began
    });

    TerminationSignals termination;
    stopOnTermination(termination, terminal, [&] {
        if (job && !job->completed())
            job->unload();
    });

    const int loopResult = QCoreApplication::exec();
    return exitCode == 0 ? 0 : std::max(loopResult, 1);
}
