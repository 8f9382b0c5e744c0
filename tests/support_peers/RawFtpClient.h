#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

// A minimal FTP client over plain POSIX sockets that records what arrives on
// the control and data connections, with the time and the read that brought
// it: enough to see data well before a 150, a 226 well before the data's end,
// or several replies in one write. Bytes that arrive on both connections at
// once may be recorded in either order; only the times tell what came first.
class RawFtpClient {
public:
    struct Reply {
        int code = 0;     // 0: none came before the time was up
        QByteArray lines; // every line, CRLF included
        int read = 0;     // the number of the control read that completed it
    };

    struct Event {
        enum class Kind { Reply, Data, DataClosed };
        Kind kind;
        Reply reply;         // Reply
        qsizetype bytes = 0; // Data
        qint64 milliseconds; // since the retrieval began
    };

    struct Retrieval {
        QList<Event> events;
        QByteArray data;
        int finalCode = 0; // of the last reply (the 226, or the refusal)
    };

    explicit RawFtpClient(quint16 port, int timeoutMilliseconds = 3000);
    ~RawFtpClient();
    RawFtpClient(const RawFtpClient&) = delete;
    RawFtpClient& operator=(const RawFtpClient&) = delete;

    // The next reply: the greeting first, then one per command.
    Reply reply();
    Reply command(const QByteArray& line);
    // Sends bytes as they stand (several commands at once).
    void send(const QByteArray& bytes);
    // USER, then PASS when asked; the reply that ends the login.
    Reply login(const QByteArray& user, const QByteArray& password);
    // PASV, then a data connection to 127.0.0.1 and the port that the 227
    // names, whatever address it names. The 227 reply.
    Reply enterPassive();
    // RETR (the data connection is open already), then both connections
    // read together until the data connection closed and a final reply came.
    Retrieval retrieve(const QByteArray& path);

    // The address and port a 227 reply names: "h1,h2,h3,h4,p1,p2".
    static std::optional<std::pair<QByteArray, quint16>> passiveAddress(const Reply& reply);

private:
    std::optional<Reply> takeReply();
    bool readControl(int waitMilliseconds);
    // One read of the data connection, recorded as data or as its close.
    void readData(Retrieval& retrieval, qint64 milliseconds);

    int control_ = -1;
    int data_ = -1;
    int timeoutMilliseconds_;
    QByteArray pending_;
    int reads_ = 0;
};
