#include "engine/ResumeFile.h"

#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

const QByteArray kFirstLine = "KEVA resume 1";

qint64 number(const QByteArray& text, bool* ok)
{
    const qint64 value = text.toLongLong(ok);
    *ok = *ok && value >= 0;
    return value;
}

} // namespace

qint64 ResumeRecord::bytesInPlace() const
{
    qint64 missing = 0;
    for (const Segment& segment : segments)
        missing += segment.end - segment.next;
    return size - missing;
}

qint64 ResumeRecord::lengthNeeded() const
{
    // Walk back from the end over the spans still missing.
    qint64 cursor = size;
    bool moved = true;
    while (moved) {
        moved = false;
        for (const Segment& segment : segments) {
            if (segment.next < segment.end && segment.end == cursor) {
                cursor = segment.next;
                moved = true;
            }
        }
    }
    return cursor;
}

QString ResumeFile::pathFor(const QString& savePath)
{
    return savePath + QStringLiteral(".keva-resume");
}

QByteArray ResumeFile::format(const ResumeRecord& record)
{
    QByteArray text = kFirstLine + '\n';
    text += "url " + record.url.toUtf8() + '\n';
    text += "size " + QByteArray::number(record.size) + '\n';
    text += "etag " + record.etag + '\n';
    text += "modified " + record.lastModified + '\n';
    for (const ResumeRecord::Segment& segment : record.segments) {
        text += "segment " + QByteArray::number(segment.start) + ' ' + QByteArray::number(segment.next) + ' '
            + QByteArray::number(segment.end) + '\n';
    }
    return text;
}

std::optional<ResumeRecord> ResumeFile::parse(const QByteArray& text, QString* problem)
{
    const auto refuse = [problem](const QString& why) {
        *problem = why;
        return std::nullopt;
    };
    const QList<QByteArray> lines = text.split('\n');
    if (lines.value(0) != kFirstLine)
        return refuse(QStringLiteral("it is not a resume file of this program"));
    ResumeRecord record;
    bool haveUrl = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line.isEmpty())
            continue;
        const qsizetype blank = line.indexOf(' ');
        const QByteArray key = blank < 0 ? line : line.left(blank);
        const QByteArray value = blank < 0 ? QByteArray() : line.mid(blank + 1);
        bool ok = true;
        if (key == "url") {
            record.url = QString::fromUtf8(value);
            haveUrl = true;
        } else if (key == "size") {
            record.size = number(value, &ok);
        } else if (key == "etag") {
            record.etag = value;
        } else if (key == "modified") {
            record.lastModified = value;
        } else if (key == "segment") {
            const QList<QByteArray> parts = value.split(' ');
            if (parts.size() != 3)
                return refuse(QStringLiteral("line %1 is no segment").arg(i + 1));
            ResumeRecord::Segment segment;
            bool a = false, b = false, c = false;
            segment.start = number(parts[0], &a);
            segment.next = number(parts[1], &b);
            segment.end = number(parts[2], &c);
            ok = a && b && c;
            record.segments.append(segment);
        } else {
            return refuse(QStringLiteral("line %1 is not understood").arg(i + 1));
        }
        if (!ok)
            return refuse(QStringLiteral("line %1 holds no number").arg(i + 1));
    }
    if (!haveUrl || record.size < 0)
        return refuse(QStringLiteral("the address or the size is missing"));
    if (record.segments.isEmpty() || record.segments.size() > kMaxSegments)
        return refuse(QStringLiteral("it has %1 segments").arg(record.segments.size()));
    QList<ResumeRecord::Segment> sorted = record.segments;
    std::sort(sorted.begin(), sorted.end(), [](const auto& x, const auto& y) { return x.start < y.start; });
    qint64 covered = 0;
    for (const ResumeRecord::Segment& segment : sorted) {
        if (segment.start > segment.next || segment.next > segment.end || segment.end > record.size)
            return refuse(QStringLiteral("a segment lies outside the file"));
        if (segment.start < covered)
            return refuse(QStringLiteral("two segments overlap"));
        covered = segment.end;
    }
    return record;
}

ResumeFile::Loaded ResumeFile::load(const QString& savePath)
{
    Loaded loaded;
    QFile file(pathFor(savePath));
    if (!file.exists())
        return loaded;
    loaded.present = true;
    if (!file.open(QIODevice::ReadOnly) || file.size() > 64 * 1024) {
        loaded.problem = QStringLiteral("it cannot be read");
        return loaded;
    }
    loaded.record = parse(file.readAll(), &loaded.problem);
    if (loaded.record) {
        const qint64 length = QFileInfo(savePath).size();
        if (length < loaded.record->lengthNeeded() || length > loaded.record->size) {
            loaded.problem = QStringLiteral("the file is %1 bytes long, which it cannot be").arg(length);
            loaded.record.reset();
        }
    }
    return loaded;
}

bool ResumeFile::save(const QString& savePath, const ResumeRecord& record)
{
    return AtomicFile::write(pathFor(savePath), format(record));
}

void ResumeFile::remove(const QString& savePath)
{
    QFile::remove(pathFor(savePath));
}

void ResumeFile::removeStaleTemporaries(const QString& savePath)
{
    AtomicFile::removeStaleTemporaries(pathFor(savePath));
}
