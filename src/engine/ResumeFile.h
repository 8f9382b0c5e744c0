#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What a partly downloaded file needs to go on after a pause, a stop, a crash
// or a new start of the program, kept beside "<file>" as "<file>.keva-resume"
// and replaced atomically. It is plain text:
//
//   KEVA resume 1
//   url http://host/file.iso
//   size 52428800
//   etag "5f3a-1a2b"
//   modified Tue, 01 Dec 2026 10:00:00 GMT
//   segment 0 1048576 17476266
//   segment 17476266 20000000 34952532
//
// "etag" and "modified" are the remote file's validators: ETag and
// Last-Modified over HTTP; over FTP no ETag and MDTM's time (20261201100000).
// Each segment line gives the first offset of its range, the first offset not
// yet in the file and the end of its range (exclusive). Every byte of the
// file outside the spans from "not yet" to "end" is in place.
struct ResumeRecord {
    struct Segment {
        qint64 start = 0;
        qint64 next = 0;
        qint64 end = 0;
        bool operator==(const Segment&) const = default;
    };

    QString url;
    qint64 size = -1;
    QByteArray etag;
    QByteArray lastModified;
    QList<Segment> segments;

    bool operator==(const ResumeRecord&) const = default;
    // Bytes in place.
    qint64 bytesInPlace() const;
    // The length the file must have at least: its last byte in place.
    qint64 lengthNeeded() const;
};

class ResumeFile {
public:
    static constexpr int kMaxSegments = 6;

    static QString pathFor(const QString& savePath);

    struct Loaded {
        bool present = false;
        std::optional<ResumeRecord> record; // nothing when it is damaged
        QString problem;                    // why it is damaged
    };
    // The record beside `savePath`, checked against itself and against the
    // file's length.
    static Loaded load(const QString& savePath);
    static bool save(const QString& savePath, const ResumeRecord& record);
    static void remove(const QString& savePath);
    // Removes what writes of the resume data beside `savePath` left behind
    // when their process was killed (AtomicFile's stale temporaries).
    static void removeStaleTemporaries(const QString& savePath);

    static QByteArray format(const ResumeRecord& record);
    // The record of a text, or the reason it is none.
    static std::optional<ResumeRecord> parse(const QByteArray& text, QString* problem);
};
