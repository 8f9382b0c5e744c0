#include "engine/ResumeState.h"

#include "engine/RequestOptionsFile.h"
#include "engine/SegmentFiles.h"
#include "engine/SegmentTable.h"

#include <QFileInfo>

void ResumeState::begin(const QString& url, const QString& savePath)
{
    url_ = url;
    savePath_ = savePath;
    etag_.clear();
    lastModified_.clear();
    written_.reset();
    saved_.invalidate();
    // A run that was killed while it wrote the resume data left a temporary
    // file beside the file it had begun. Only then is the folder listed for
    // them: a crawl of many new files does not list its folders for each.
    if (QFileInfo::exists(savePath))
        ResumeFile::removeStaleTemporaries(savePath);
}

void ResumeState::setValidators(const QByteArray& etag, const QByteArray& lastModified)
{
    etag_ = etag;
    lastModified_ = lastModified;
}

QString ResumeState::refusal(const ResumeFile::Loaded& loaded, qint64 size) const
{
    if (!loaded.record)
        return QStringLiteral("the resume data beside the file is damaged (%1)").arg(loaded.problem);
    const ResumeRecord& record = *loaded.record;
    if (record.url != url_) {
        if (record.size != size || record.etag != etag_ || record.lastModified != lastModified_)
            return QStringLiteral("the resume data beside the file belongs to %1, and the file at this address is "
                                  "not the same")
                .arg(record.url);
        return {};
    }
    const auto differs = [](const QByteArray& a, const QByteArray& b) {
        return !a.isEmpty() && !b.isEmpty() && a != b;
    };
    if (record.size != size || differs(record.etag, etag_) || differs(record.lastModified, lastModified_))
        return QStringLiteral("the file on the server has changed since the download began");
    return {};
}

bool ResumeState::adopt(ResumeRecord record)
{
    record.url = url_;
    if (!ResumeFile::save(savePath_, record))
        return false;
    written_ = std::move(record);
    saved_.start();
    return true;
}

bool ResumeState::save(qint64 size, const SegmentTable& segments, SegmentFiles& files)
{
    ResumeRecord record {url_, size, etag_, lastModified_, segments.ranges()};
    saved_.start();
    if (written_ == record)
        return true;
    // Resume data never claims bytes that did not reach the file.
    if (!files.sync() || !ResumeFile::save(savePath_, record))
        return false;
    written_ = std::move(record);
    return true;
}

void ResumeState::saveNowAndThen(qint64 size, const SegmentTable& segments, SegmentFiles& files)
{
    // A segmented file has gaps that only the resume data tells: its first
    // bytes are kept at once. A file one connection writes tells by its
    // length where it stands, so its first save waits a second too, and a
    // small file, complete by then, never has resume data written.
    if (!saved_.isValid() && segments.NumSegments == 0) {
        saved_.start();
        return;
    }
    if (!saved_.isValid() || saved_.elapsed() >= 1000)
        save(size, segments, files);
}

void ResumeState::remove()
{
    ResumeFile::remove(savePath_);
    RequestOptionsFile::remove(savePath_);
    written_.reset();
}
