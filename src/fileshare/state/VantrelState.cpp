#include "fileshare/state/VantrelState.h"

#include "fileshare/engine/EngineLink.h"
#include "fileshare/engine/LengthPrefixedFile.h"
#include "fileshare/engine/PortText.h"
#include "fileshare/engine/VantsvcEngine.h"
#include "fileshare/state/SitePage.h"
#include "platform/AtomicFile.h"
#include "platform/Prompter.h"
#include "platform/ShellOpener.h"

namespace {

const QString kCaption = QStringLiteral("Quillspan");

} // namespace

VantrelState::VantrelState(ProgramFolder folder, Prompter& prompter, ShellOpener& shell, EngineLink& engine,
                           AddressSource addresses, QObject* parent)
    : QObject(parent)
    , folder_(std::move(folder))
    , prompter_(prompter)
    , shell_(shell)
    , engine_(engine)
    , addresses_(std::move(addresses))
{
}

QString VantrelState::statusText() const
{
    return running_ ? QStringLiteral("TODO:You can change the settings after stop the site.")
                    : QStringLiteral("TODO:Add the directories and press start tool bar.");
}

void VantrelState::loadSavedState()
{
    if (const auto saved = LengthPrefixedFile::read(folder_.file(QStringLiteral("vantrel.log")))) {
        log_.setText(QString::fromUtf8(*saved));
        emit logReset();
    }
    if (const auto port = LengthPrefixedFile::read(folder_.file(QStringLiteral("vantrel.por"))))
        setPortText(QString::fromUtf8(*port));
    folders_.load(folder_.file(QStringLiteral("vantrel.lst")));
    emit foldersChanged();
}

void VantrelState::setPortText(const QString& text)
{
    const QString kept = text.left(kMaxPortCharacters);
    if (running_ || kept == portText_)
        return;
    portText_ = kept;
    emit portTextChanged();
}

void VantrelState::addFolder(const QString& selectedPath)
{
    switch (folders_.add(selectedPath)) {
    case PublishedFolderList::AddResult::Added: emit foldersChanged(); return;
    case PublishedFolderList::AddResult::NothingSelected:
        warn(QStringLiteral("Please select directory first!"));
        return;
    case PublishedFolderList::AddResult::DriveRoot:
        warn(QStringLiteral("Can not set root directory of a drive to be distributed"));
        return;
    case PublishedFolderList::AddResult::AlreadyAdded:
        warn(QStringLiteral("%1 already added").arg(selectedPath));
        return;
    }
}

void VantrelState::deleteFolder(int selectedRow)
{
    if (!folders_.remove(selectedRow)) {
        warn(QStringLiteral("Please select the directory which you want to delete"));
        return;
    }
    emit foldersChanged();
}

void VantrelState::openFolder(int row)
{
    if (row >= 0 && row < folders_.count())
        shell_.open(folders_.path(row));
}

void VantrelState::start()
{
    const int port = PortText::parse(portText_);
    if (port <= 0 || port > 65535) {
        warn(QStringLiteral("Port number should be 1 to 65535"));
        return;
    }
    if (port == 80) {
        warn(QStringLiteral("Port number should not be 80"));
        return;
    }
    saveListAndPort();
    // An engine that vanishes before it takes the message counts as missing.
    const std::optional<std::int64_t> answer = engine_.findOrStart() ? engine_.send(VantsvcEngine::kStart, port)
                                                                     : std::nullopt;
    if (!answer) {
        warn(QStringLiteral("Error when start server engine!"));
        return;
    }
    if (*answer != VantsvcEngine::kStarted) {
        // The engine took the message but serves nothing (an earlier run, if
        // any, it has stopped): the stopped layout, and the reason in a box.
        setRunning(false);
        warn(VantsvcEngine::startFailureText(port, *answer));
        return;
    }
    setRunning(true);

    AtomicFile::write(sitePagePath(), SitePage::html(addresses_ ? addresses_() : QStringList(), port));
    emit sitePageReady(sitePagePath());
}

void VantrelState::stop()
{
    if (!engine_.findOrStart() || !engine_.send(VantsvcEngine::kStop, 0).has_value()) {
        warn(QStringLiteral("Error when stop server engine!"));
        return;
    }
    setRunning(false);
}

void VantrelState::setRunning(bool running)
{
    if (running == running_)
        return;
    running_ = running;
    emit runningChanged();
}

void VantrelState::clearLog()
{
    log_.clear();
    emit logReset();
}

void VantrelState::help()
{
    shell_.open(folder_.dataFile(QStringLiteral("help/htu.htm")));
}

void VantrelState::logReady()
{
    if (const auto piece = LengthPrefixedFile::read(folder_.file(QStringLiteral("vantrel.per"))))
        appendLog(QString::fromUtf8(*piece));
}

void VantrelState::closing()
{
    if (engine_.exists())
        engine_.send(VantsvcEngine::kQuit, 0);
    LengthPrefixedFile::write(folder_.file(QStringLiteral("vantrel.log")), log_.text().toUtf8());
    saveListAndPort();
}

void VantrelState::appendLog(const QString& piece)
{
    if (piece.isEmpty())
        return;
    const int removed = log_.append(piece);
    emit logAppended(piece, removed);
}

void VantrelState::saveListAndPort()
{
    LengthPrefixedFile::write(folder_.file(QStringLiteral("vantrel.por")), portText_.toUtf8());
    folders_.save(folder_.file(QStringLiteral("vantrel.lst")));
}

void VantrelState::warn(const QString& text)
{
    prompter_.tell(text, kCaption, Prompter::Icon::Exclamation);
}
