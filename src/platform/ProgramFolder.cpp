#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

ProgramFolder::ProgramFolder(QString path, QString languageFolder, QStringList dataFolders)
    : path_(std::move(path))
    , languageFolder_(std::move(languageFolder))
    , dataFolders_(std::move(dataFolders))
{
}

ProgramFolder ProgramFolder::fromEnvironment()
{
    const QString executableFolder = QCoreApplication::instance()
        ? QCoreApplication::applicationDirPath()
        : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget().section(QLatin1Char('/'), 0, -2);
    return resolve(qEnvironmentVariable("KEVA_HOME"), executableFolder, QFileInfo(executableFolder).isWritable(),
                   qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath());
}

ProgramFolder ProgramFolder::resolve(const QString& kevaHome, const QString& executableFolder,
                                     bool executableFolderWritable, const QString& xdgDataHome,
                                     const QString& homeFolder)
{
    const QString beside = QDir::cleanPath(executableFolder);
    const QString shared = QDir::cleanPath(beside + QStringLiteral("/../share/quillspan"));
    // An installed copy, even in a prefix of the user's own (~/.local), keeps
    // its state out of the program folder.
    const bool installed = QFileInfo(shared).isDir();
    QString state;
    if (!kevaHome.isEmpty()) {
        state = QDir::cleanPath(kevaHome);
    } else if (executableFolderWritable && !installed) {
        state = beside;
    } else {
        const QString dataHome = xdgDataHome.isEmpty() ? homeFolder + QStringLiteral("/.local/share") : xdgDataHome;
        state = QDir::cleanPath(dataHome + QStringLiteral("/Quillspan"));
        QDir().mkpath(state);
    }
    ProgramFolder folder(state, QString(), {beside, shared});
    folder.languageFolder_ = folder.dataFile(QStringLiteral("Lang"));
    return folder;
}

QString ProgramFolder::file(const QString& name) const
{
    return path_ + QLatin1Char('/') + name;
}

QString ProgramFolder::dataFile(const QString& name) const
{
    const QString own = file(name);
    if (QFileInfo::exists(own))
        return own;
    for (const QString& folder : dataFolders_) {
        const QString candidate = folder + QLatin1Char('/') + name;
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return own;
}
