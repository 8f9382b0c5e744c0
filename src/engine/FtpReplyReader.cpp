#include "engine/FtpReplyReader.h"

namespace {

// The code of a line that starts with three digits; 0 otherwise.
int codeOf(const QByteArray& line)
{
    if (line.size() < 3 || !std::isdigit(static_cast<unsigned char>(line[0]))
        || !std::isdigit(static_cast<unsigned char>(line[1])) || !std::isdigit(static_cast<unsigned char>(line[2])))
        return 0;
    return line.left(3).toInt();
}

} // namespace

QList<FtpReply> FtpReplyReader::feed(const QByteArray& bytes)
{
    QList<FtpReply> replies;
    pending_ += bytes;
    qsizetype start = 0;
    for (qsizetype end = pending_.indexOf('\n'); end >= 0; end = pending_.indexOf('\n', start)) {
        QByteArray line = pending_.mid(start, end - start);
        start = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        const int code = codeOf(line);
        lines_.append(QString::fromUtf8(line));
        if (multiLineCode_ == 0) {
            if (code == 0) {
                lines_.clear(); // noise between replies
                continue;
            }
            if (line.size() > 3 && line[3] == '-') {
                multiLineCode_ = code;
                continue;
            }
        } else if (code != multiLineCode_ || (line.size() > 3 && line[3] != ' ')) {
            continue; // inside a multi-line reply
        }
        replies.append({code, lines_.join(QStringLiteral("\r\n")), {}});
        lines_.clear();
        multiLineCode_ = 0;
    }
    pending_.remove(0, start);
    qsizetype held = pending_.size();
    for (const QString& line : lines_)
        held += line.size();
    if (held > kMaxReplyBytes) {
        overflowed_ = true;
        pending_.clear();
        lines_.clear();
        multiLineCode_ = 0;
    }
    return replies;
}

void FtpReplyReader::reset()
{
    *this = FtpReplyReader();
}
