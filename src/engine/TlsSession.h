#pragma once

#include <QIODevice>
#include <QList>
#include <QString>

class OpenSsl;
class QTcpSocket;
struct ssl_ctx_st;
struct ssl_st;
struct x509_store_ctx_st;

// A TLS client session over a connected TCP socket, with OpenSSL: the
// handshake (the server's name sent with it, its certificate checked against
// what TlsTrust trusts and against that name), then the server's bytes
// decrypted straight into the reader's buffer. It reads and writes as a
// sequential device; readyRead says bytes may have come.
//
// The session is a child of its socket and goes where the socket goes (into
// a pool of kept connections and out again); of() finds it.
class TlsSession : public QIODevice {
    Q_OBJECT
public:
    // Starts the handshake with `host` (a name or an address) on `socket`,
    // which is connected; encrypted() or failed() tells how it went. Null
    // when the TLS library could not be loaded; `failure` says so, in words a
    // user knows.
    static TlsSession* start(QTcpSocket* socket, const QString& host, QString* failure);
    // The session over `socket`, or null for a plain connection.
    static TlsSession* of(const QTcpSocket* socket);
    ~TlsSession() override;

    bool isSequential() const override { return true; }
    // The bytes the server has sent that are still to be read: decrypted
    // ones, and the records the socket holds.
    qint64 bytesAvailable() const override;

signals:
    void encrypted();
    // The handshake failed, or the certificate was refused: `text` says why,
    // in words a user knows.
    void failed(const QString& text);

protected:
    qint64 readData(char* data, qint64 size) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    TlsSession(QTcpSocket* socket, const QString& host, ssl_ctx_st* context);
    // On the socket's readyRead: the handshake's next step, or word that
    // bytes may have come.
    void advance();
    static int noteFault(int passed, x509_store_ctx_st* store);

    const OpenSsl& ssl_;
    QTcpSocket* socket_;
    ssl_st* session_;
    bool encrypted_ = false;
    bool ended_ = false; // failed, or the server closed the session
    QList<int> faults_;  // what the certificate check found, in order
};
