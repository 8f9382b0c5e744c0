#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

const QString kLang = QStringLiteral("Lang");

QString firstExistingLanguageFolder(const QStringList& candidates)
{
    for (const QString& folder : candidates) {
        if (QFileInfo(folder).isDir())
            return folder;
    }
    return candidates.first();
}

} // namespace

ProgramFolder::ProgramFolder(QString path, QString languageFolder)
    : path_(std::move(path))
    , languageFolder_(std::move(languageFolder))
{
}

ProgramFolder ProgramFolder::fromEnvironment()
{
    const QString executableFolder = QCoreApplication::instance()
        ? QCoreApplication::applicationDirPath()
        : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget().section(QLatin1Char('/'), 0, -2);
    return resolve(qEnvironmentVariable("KEVA_HOME"), executableFolder,
                   QFileInfo(executableFolder).isWritable(), qEnvironmentVariable("XDG_DATA_HOME"),
                   QDir::homePath());
}

ProgramFolder ProgramFolder::resolve(const QString& kevaHome, const QString& executableFolder,
                                     bool executableFolderWritable, const QString& xdgDataHome,
                                     const QString& homeFolder)
{
    const QString beside = QDir::cleanPath(executableFolder);
    QString state;
    if (!kevaHome.isEmpty()) {
        state = QDir::cleanPath(kevaHome);
    } else if (executableFolderWritable) {
        state = beside;
    } else {
        const QString dataHome = xdgDataHome.isEmpty() ? homeFolder + QStringLiteral("/.local/share") : xdgDataHome;
        state = QDir::cleanPath(dataHome + QStringLiteral("/Quillspan"));
        QDir().mkpath(state);
    }
    return ProgramFolder(state, firstExistingLanguageFolder({
                                    state + QLatin1Char('/') + kLang,
                                    beside + QLatin1Char('/') + kLang,
                                    QDir::cleanPath(beside + QStringLiteral("/../share/quillspan/Lang")),
                                }));
}

QString ProgramFolder::file(const QString& name) const
{
    return path_ + QLatin1Char('/') + name;
}
