#include "fileshare/engine/LogForwarder.h"
#include "fileshare/engine/VantsvcEngine.h"
#include "fileshare/engine/VantsvcOptions.h"
#include "fileshare/http/ContentTypeLookup.h"
#include "fileshare/http/SiteService.h"
#include "platform/MessageWindow.h"
#include "platform/ProgramFolder.h"
#include "platform/Registry.h"

#include <QCoreApplication>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <sys/resource.h>

namespace {

// Every connection and every file it sends takes a descriptor: serve with as
// many as the system allows, not with the soft limit a desktop session starts
// programs with (often 1,024).
void raiseOpenFileLimit()
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// Serves until SIGINT or SIGTERM, the access log on standard output.
int runStandalone(const VantsvcOptions& options)
{
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

    std::vector<PublishedFolder> folders;
    for (std::size_t i = 0; i < options.folders.size(); ++i) {
        PublishedFolder folder;
        folder.path = options.folders[i];
        folder.alias = i == 0 ? "/" : "dir" + std::to_string(i + 1);
        folders.push_back(std::move(folder));
    }
    ContentTypeLookup types(Registry::defaultFolder());
    SiteService service(types, [](std::string batch) {
        std::erase(batch, '\r');
        std::fwrite(batch.data(), 1, batch.size(), stdout);
        std::fflush(stdout);
    });
    std::error_code error;
    if (!service.start(folders, options.bindAddress, options.port, error)) {
        std::fprintf(stderr, "Vantsvc: can not listen on %s:%u: %s\n", options.bindAddress.c_str(), options.port,
                     error.message().c_str());
        return 1;
    }
    for (const std::string& unreadable : service.unreadableFolders())
        std::fprintf(stderr, "Vantsvc: can not read %s\n", unreadable.c_str());
    for (const PublishedFolder& folder : folders)
        std::fprintf(stderr, "Vantsvc: %s%s%s -> %s\n", folder.alias == "/" ? "" : "/", folder.alias.c_str(),
                     folder.alias == "/" ? "" : "/", folder.path.c_str());
    std::fprintf(stderr, "Vantsvc: serving http://%s:%u/\n", options.bindAddress.c_str(), service.port());
    std::fflush(stderr);

    int received = 0;
    sigwait(&endSignals, &received);
    service.stop();
    return 0;
}

// The engine Vantrel starts: a window "VantrelrDialog" that takes its commands.
int runEngine(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const ProgramFolder folder = ProgramFolder::fromEnvironment();
    ContentTypeLookup types(Registry::defaultFolder());
    LogForwarder log(folder.file(QStringLiteral("vantrel.per")));
    SiteService service(types, [&log](std::string batch) { log.post(batch); });
    VantsvcEngine engine(folder, service, log, [] { QCoreApplication::quit(); });

    MessageWindow window(QString::fromLatin1(VantsvcEngine::kCaption));
    window.setHandler([&engine](const WindowMessage& message) { return engine.handle(message); });
    if (!window.listen()) {
        std::fprintf(stderr, "Vantsvc: can not register the window %s\n", VantsvcEngine::kCaption);
        return 1;
    }
    const int result = QCoreApplication::exec();
    service.stop();
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    // Listings show dates in the user's short formats, on its own as under
    // Vantrel (where the application object sets the locale the same way).
    std::setlocale(LC_ALL, "");
    const VantsvcOptions options = VantsvcOptions::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help) {
        std::fputs(VantsvcOptions::usage(), stdout);
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "Vantsvc: %s\n%s", options.error.c_str(), VantsvcOptions::usage());
        return 2;
    }
    raiseOpenFileLimit();
    return options.standalone ? runStandalone(options) : runEngine(argc, argv);
}
