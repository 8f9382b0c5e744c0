#include "engine/DownloadTarget.h"

#include "core/TextLookup.h"
#include "engine/SegmentFiles.h"
#include "engine/SegmentTable.h"

#include <QFile>
#include <QFileInfo>

DownloadTarget::DownloadTarget(const TextLookup& text, SegmentTable& segments, SegmentFiles& files, Callbacks callbacks)
    : text_(text)
    , segments_(segments)
    , files_(files)
    , callbacks_(std::move(callbacks))
{
}

void DownloadTarget::setPath(const QString& path)
{
    path_ = path;
    files_.setPath(path);
}

void DownloadTarget::begin(const QString& url, FileExistsChoice choice)
{
    choice_ = choice;
    created_ = false;
    keepsFileOfOtherAddress_ = false;
    files_.setPath(path_);
    resume_.begin(url, path_);
}

void DownloadTarget::prepare()
{
    if (choice_ == FileExistsChoice::Resume) {
        segments_.SegResume.fill(true);
    } else if (choice_ == FileExistsChoice::Overwrite) {
        if (QFileInfo::exists(path_)) {
            QFile::setPermissions(path_, QFile::permissions(path_) | QFileDevice::WriteOwner);
            QFile::remove(path_);
        }
        resume_.remove();
        segments_.SegResume.fill(false);
    }
}

void DownloadTarget::retarget(const QString& url, const QString& path, FileExistsChoice choice)
{
    path_ = path;
    choice_ = choice;
    files_.setPath(path);
    resume_.begin(url, path);
    prepare();
}

void DownloadTarget::create()
{
    if (QFileInfo::exists(path_))
        return;
    QFile create(path_);
    created_ = create.open(QIODevice::WriteOnly);
}

void DownloadTarget::removeIfEmpty(bool succeeded)
{
    if (created_ && !succeeded && QFileInfo(path_).size() == 0 && QFileInfo(path_).isFile())
        QFile::remove(path_);
    created_ = false;
}

bool DownloadTarget::refuseLongerLocalFile(qint64 remoteSize, bool resuming)
{
    const qint64 local = QFileInfo(path_).size();
    if (!resuming || remoteSize < 0 || local <= remoteSize)
        return false;
    callbacks_.onFail(text_
                          .GetText(QStringLiteral("11068"),
                                   QStringLiteral("%1 is longer (%2 bytes) than the file on the server (%3 bytes), so "
                                                  "it is no part of it; it was left as it is."))
                          .arg(path_)
                          .arg(local)
                          .arg(remoteSize));
    return true;
}

bool DownloadTarget::takeResumeData(const ResumeFile::Loaded& loaded, qint64 size, std::optional<ResumeRecord>* record)
{
    const QString why = resume_.refusal(loaded, size);
    const bool otherAddress = loaded.record && loaded.record->url != resume_.url();
    if (why.isEmpty() && otherAddress) {
        if (!resume_.adopt(*loaded.record)) {
            callbacks_.onFail(text_
                                  .GetText(QStringLiteral("11150"),
                                           QStringLiteral("The resume data beside %1 could not be written for the "
                                                          "new address; nothing was changed."))
                                  .arg(text_.leftToRight(path_)));
            return false;
        }
        callbacks_.onAddressTaken();
    }
    if (why.isEmpty()) {
        *record = loaded.record;
        return true;
    }
    if (otherAddress && keepsFileOfOtherAddress_) {
        callbacks_.onOtherFile(text_
                                   .GetText(QStringLiteral("11151"),
                                            QStringLiteral("%1 was left as it is: %2. Start it again from the "
                                                           "beginning to download the file at the new address."))
                                   .arg(text_.leftToRight(path_), why));
        return false;
    }
    if (!loaded.record && QFileInfo(path_).size() > 0) {
        callbacks_.onFail(text_
                              .GetText(QStringLiteral("11081"),
                                       QStringLiteral("%1 was left as it is: %2, so it is not known which of its "
                                                      "bytes are in place. Overwrite it to download the file again."))
                              .arg(text_.leftToRight(path_), why));
        return false;
    }
    // Never splice two versions of a file: start again from 0, with nothing
    // of the old transfer still to be written.
    callbacks_.onStatus(
        text_.GetText(QStringLiteral("11072"), QStringLiteral("Starting again from the beginning: %1.")).arg(why));
    files_.closeAll();
    QFile::resize(path_, 0);
    resume_.remove();
    record->reset();
    return true;
}
