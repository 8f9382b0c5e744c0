#include "settings/FolderChooserState.h"

#include "core/ProgramTitle.h"
#include "core/TextLookup.h"
#include "platform/Prompter.h"

#include <QDir>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

FolderChooserState::FolderChooserState(Prompter& prompter, const TextLookup& text, QObject* parent)
    : QObject(parent)
    , prompter_(prompter)
    , text_(text)
{
    applyCaptions();
}

void FolderChooserState::applyCaptions()
{
    const TextLookup& text = text_;
    caption = text.caption(QStringLiteral("03000"), QStringLiteral("Select Directory"));
    Command1 = text.caption(QStringLiteral("02006"), QStringLiteral("OK"));
    Command2 = text.caption(QStringLiteral("05004"), QStringLiteral("&Cancel"));
    UpOneLevelText = text.caption(QStringLiteral("03001"), QStringLiteral("Up One Level"));
    NewFolderText = text.caption(QStringLiteral("03002"), QStringLiteral("New Folder"));
    NewFolderPrompt = text.caption(QStringLiteral("03003"), QStringLiteral("Name of the new folder:"));
}

void FolderChooserState::open()
{
    applyCaptions();
    visible = true;
    emit changed();
}

void FolderChooserState::OK()
{
    result_ = txtPath;
    hide();
}

void FolderChooserState::Cancel()
{
    hide();
}

void FolderChooserState::hide()
{
    visible = false;
    emit changed();
}

bool FolderChooserState::canGoUp() const
{
    if (!QDir::isAbsolutePath(txtPath))
        return false;
    return QDir::cleanPath(txtPath) != QDir::rootPath();
}

void FolderChooserState::UpOneLevel()
{
    if (canGoUp())
        moveTo(QFileInfo(QDir::cleanPath(txtPath)).path());
}

void FolderChooserState::NewFolder()
{
    if (!askFolderName)
        return;
    const std::optional<QString> answer = askFolderName();
    if (!answer)
        return;
    const auto text = [this](const char* key, const QString& fallback) {
        return text_.GetText(QString::fromLatin1(key), fallback);
    };
    const QString name = answer->trimmed();
    if (name.isEmpty()) {
        refuse(text("03004", QStringLiteral("Type a name for the new folder.")));
        return;
    }
    if (name.contains(QLatin1Char('/')) || name == QStringLiteral(".") || name == QStringLiteral("..")) {
        refuse(text("03005",
                    QStringLiteral("\"%1\" cannot be a folder name: a name may not contain \"/\" and may "
                                   "not be \".\" or \"..\"."))
                   .arg(name));
        return;
    }
    const QString parentPath = QDir::cleanPath(txtPath);
    if (!QDir::isAbsolutePath(parentPath) || !QFileInfo(parentPath).isDir()) {
        refuse(text("03006", QStringLiteral("There is no folder \"%1\" to make the new folder in.")).arg(txtPath));
        return;
    }
    const QString path = QDir(parentPath).filePath(name);
    if (QFileInfo::exists(path)) {
        refuse(text("03007", QStringLiteral("\"%1\" already exists.")).arg(path));
        return;
    }
    std::error_code error;
    if (!std::filesystem::create_directory(std::filesystem::path(path.toStdString()), error)) {
        refuse(text("03008", QStringLiteral("The folder \"%1\" could not be made: %2."))
                   .arg(path,
                        error ? QString::fromStdString(error.message())
                              : text("03009", QStringLiteral("it already exists"))));
        return;
    }
    moveTo(path);
}

void FolderChooserState::moveTo(const QString& path)
{
    txtPath = path;
    emit folderMoved();
}

void FolderChooserState::refuse(const QString& message) const
{
    prompter_.tell(message, kProgramTitle, Prompter::Icon::Exclamation);
}
