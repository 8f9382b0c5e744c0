#include "support/TestHome.h"

#include "settings/KevaContext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

const char* const kVariableNames[TestHome::kVariableCount] = {"KEVA_HOME", "KEVA_REGISTRY_DIR", "KEVA_RUNTIME_DIR",
                                                              "XDG_CONFIG_HOME", "HOME"};

} // namespace

TestHome::TestHome()
{
    const QString folders[kVariableCount] = {programFolder(), registryFolder(), runtimeFolder(), configFolder(),
                                             homeFolder()};
    for (std::size_t i = 0; i < kVariableCount; ++i) {
        QDir().mkpath(folders[i]);
        savedEnvironment_[i] = qgetenv(kVariableNames[i]);
        qputenv(kVariableNames[i], QFile::encodeName(folders[i]));
    }
    QFile::setPermissions(runtimeFolder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TestHome::~TestHome()
{
    context_.reset();
    for (std::size_t i = 0; i < kVariableCount; ++i) {
        if (savedEnvironment_[i].isNull())
            qunsetenv(kVariableNames[i]);
        else
            qputenv(kVariableNames[i], savedEnvironment_[i]);
    }
}

void TestHome::writeFile(const QString& name, const QByteArray& content) const
{
    const QString full = path(name);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

void TestHome::replaceFile(const QString& name, const QByteArray& content) const
{
    const QByteArray target = QFile::encodeName(path(name));
    const QByteArray replacement = target + ".new";
    struct stat old { };
    QFile file(QFile::decodeName(replacement));
    if (::stat(target.constData(), &old) != 0 || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    file.write(content);
    file.close();
    const struct timespec times[2] = {old.st_atim, old.st_mtim};
    ::utimensat(AT_FDCWD, replacement.constData(), times, 0);
    ::rename(replacement.constData(), target.constData());
}

QByteArray TestHome::readFile(const QString& name) const
{
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestHome::installLanguageFiles() const
{
    const QString shipped = binFolder() + QStringLiteral("/Lang/");
    const QString installed = programFolder() + QStringLiteral("/Lang/");
    QDir().mkpath(installed);
    for (const QString& file : QDir(shipped).entryList(QDir::Files))
        QFile::copy(shipped + file, installed + file);
}

KevaContext& TestHome::newContext()
{
    context_.reset();
    context_ = std::make_unique<KevaContext>(ProgramFolder(programFolder(), programFolder() + QStringLiteral("/Lang")),
                                             registryFolder(), prompter, shell, binFolder() + QStringLiteral("/KEVA"));
    return *context_;
}

QString TestHome::binFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("KEVA_BIN_DIR");
    return fromEnvironment.isEmpty() ? QCoreApplication::applicationDirPath() : fromEnvironment;
}
