#pragma once

#include "engine/ResumeFile.h"

#include <QElapsedTimer>
#include <QString>

#include <optional>

class SegmentFiles;
class SegmentTable;

// The resume data of one download: the address asked for and the remote
// file's validators, checked against what a resume finds beside the file, and
// the segment layout written beside it as it changes.
class ResumeState {
public:
    // A new download of `url` into `savePath`: nothing known of the remote
    // file yet. Stale temporaries of the resume data are removed.
    void begin(const QString& url, const QString& savePath);
    void setValidators(const QByteArray& etag, const QByteArray& lastModified);

    const QString& url() const { return url_; }

    // Why the resume data beside the file cannot be used for a remote file of
    // `size` bytes; empty when it can. Resume data written for another
    // address (a link that expired, a mirror) is used when the file there is
    // the same: the same size, and the same ETag and Last-Modified, or none
    // of either on both sides.
    QString refusal(const ResumeFile::Loaded& loaded, qint64 size) const;
    // Resume data of another address is taken: it is written anew for this
    // download's address at once, so that a kill cannot leave it naming the
    // old one. False when it cannot be written.
    bool adopt(ResumeRecord record);

    // Writes the layout of `segments` for a file of `size` bytes, the data
    // written so far on disk first; does nothing when the layout written last
    // is the same. False when it cannot be written.
    bool save(qint64 size, const SegmentTable& segments, SegmentFiles& files);
    // As save, but at most once a second; for a file in one piece, not
    // before a second has passed since the first call.
    void saveNowAndThen(qint64 size, const SegmentTable& segments, SegmentFiles& files);
    // The download is complete or starts from nothing: no resume data, and
    // no request options kept beside the file.
    void remove();

private:
    QString url_;
    QString savePath_;
    QByteArray etag_;
    QByteArray lastModified_;
    std::optional<ResumeRecord> written_;
    QElapsedTimer saved_;
};
