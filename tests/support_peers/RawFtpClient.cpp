#include "RawFtpClient.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QRegularExpression>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

RawFtpClient::RawFtpClient(quint16 port, int timeoutMilliseconds)
    : control_(connectTo(port))
    , timeoutMilliseconds_(timeoutMilliseconds)
{
}

RawFtpClient::~RawFtpClient()
{
    for (const int fd : {control_, data_}) {
        if (fd >= 0)
            ::close(fd);
    }
}

std::optional<RawFtpClient::Reply> RawFtpClient::takeReply()
{
    // A reply ends with the first line that starts with its code and a
    // space; a first line "NNN-" opens lines that run until then.
    const QByteArray code = pending_.left(3);
    qsizetype at = 0;
    for (;;) {
        const qsizetype end = pending_.indexOf("\r\n", at);
        if (end < 0)
            return std::nullopt;
        const QByteArray line = pending_.mid(at, end - at);
        at = end + 2;
        if (line.size() >= 4 && line.startsWith(code) && line.at(3) == ' ')
            break;
    }
    Reply reply {code.toInt(), pending_.left(at), reads_};
    pending_.remove(0, at);
    return reply;
}

bool RawFtpClient::readControl(int waitMilliseconds)
{
    pollfd watched {control_, POLLIN, 0};
    if (control_ < 0 || ::poll(&watched, 1, waitMilliseconds) <= 0)
        return false;
    char buffer[4096];
    const ssize_t got = ::read(control_, buffer, sizeof buffer);
    if (got <= 0)
        return false;
    ++reads_;
    pending_.append(buffer, got);
    return true;
}

RawFtpClient::Reply RawFtpClient::reply()
{
    const QDeadlineTimer deadline(timeoutMilliseconds_);
    while (true) {
        if (auto reply = takeReply())
            return *reply;
        if (deadline.hasExpired() || !readControl(int(deadline.remainingTime())))
            return {};
    }
}

void RawFtpClient::send(const QByteArray& bytes)
{
    if (control_ >= 0)
        (void)::write(control_, bytes.constData(), bytes.size());
}

RawFtpClient::Reply RawFtpClient::command(const QByteArray& line)
{
    send(line + "\r\n");
    return reply();
}

RawFtpClient::Reply RawFtpClient::login(const QByteArray& user, const QByteArray& password)
{
    const Reply answer = command("USER " + user);
    return answer.code == 331 ? command("PASS " + password) : answer;
}

std::optional<std::pair<QByteArray, quint16>> RawFtpClient::passiveAddress(const Reply& reply)
{
    static const QRegularExpression numbers(QStringLiteral(R"((\d+),(\d+),(\d+),(\d+),(\d+),(\d+))"));
    const QRegularExpressionMatch match = numbers.match(QString::fromLatin1(reply.lines));
    if (reply.code != 227 || !match.hasMatch())
        return std::nullopt;
    const QByteArray address = match.captured(1).toLatin1() + '.' + match.captured(2).toLatin1() + '.'
        + match.captured(3).toLatin1() + '.' + match.captured(4).toLatin1();
    return std::pair {address, quint16(match.captured(5).toInt() * 256 + match.captured(6).toInt())};
}

RawFtpClient::Reply RawFtpClient::enterPassive()
{
    const Reply answer = command("PASV");
    if (const auto named = passiveAddress(answer))
        data_ = connectTo(named->second);
    return answer;
}

RawFtpClient::Retrieval RawFtpClient::retrieve(const QByteArray& path)
{
    Retrieval retrieval;
    QElapsedTimer clock;
    clock.start();
    send("RETR " + path + "\r\n");
    const QDeadlineTimer deadline(timeoutMilliseconds_);
    // A refusal leaves the data connection alone; a transfer ends with both.
    bool preliminary = false;
    bool finalReply = false;
    for (;;) {
        while (const auto answer = takeReply()) {
            retrieval.events.append({Event::Kind::Reply, *answer, 0, clock.elapsed()});
            retrieval.finalCode = answer->code;
            preliminary = preliminary || answer->code < 200;
            finalReply = answer->code >= 200;
        }
        if ((finalReply && (data_ < 0 || !preliminary)) || deadline.hasExpired())
            break;
        pollfd watched[2] = {{control_, POLLIN, 0}, {data_, POLLIN, 0}};
        if (::poll(watched, data_ >= 0 ? 2 : 1, int(deadline.remainingTime())) <= 0)
            break;
        if (watched[0].revents != 0 && !readControl(0))
            break;
        if (data_ >= 0 && watched[1].revents != 0)
            readData(retrieval, clock.elapsed());
    }
    return retrieval;
}

void RawFtpClient::readData(Retrieval& retrieval, qint64 milliseconds)
{
    char buffer[16384];
    const ssize_t got = ::read(data_, buffer, sizeof buffer);
    if (got > 0) {
        retrieval.data.append(buffer, got);
        retrieval.events.append({Event::Kind::Data, {}, got, milliseconds});
        return;
    }
    ::close(data_);
    data_ = -1;
    retrieval.events.append({Event::Kind::DataClosed, {}, 0, milliseconds});
}
