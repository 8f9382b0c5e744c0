#include "engine/TlsSession.h"

#include "engine/TlsFailure.h"
#include "engine/TlsTrust.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QUrl>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <climits>

namespace {

// OpenSSL reads and writes through the socket itself: the bytes the socket
// has read ahead go straight into OpenSSL's record buffer, with no buffer
// between them.
QTcpSocket* socketOf(BIO* bio)
{
    return static_cast<QTcpSocket*>(BIO_get_data(bio));
}

int readSocket(BIO* bio, char* out, int size)
{
    BIO_clear_retry_flags(bio);
    QTcpSocket* socket = socketOf(bio);
    if (socket->bytesAvailable() == 0) {
        if (socket->state() == QAbstractSocket::ConnectedState)
            BIO_set_retry_read(bio);
        return socket->state() == QAbstractSocket::ConnectedState ? -1 : 0; // 0: the end
    }
    return static_cast<int>(socket->read(out, size));
}

int writeSocket(BIO* bio, const char* in, int size)
{
    BIO_clear_retry_flags(bio);
    return static_cast<int>(socketOf(bio)->write(in, size));
}

long controlSocket(BIO*, int command, long, void*)
{
    return command == BIO_CTRL_FLUSH ? 1 : 0; // the socket sends as the event loop runs
}

int makeSocketBio(BIO* bio)
{
    BIO_set_init(bio, 1);
    return 1;
}

BIO_METHOD* socketMethod()
{
    static BIO_METHOD* const method = [] {
        BIO_METHOD* made = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "Qt TCP socket");
        BIO_meth_set_read(made, readSocket);
        BIO_meth_set_write(made, writeSocket);
        BIO_meth_set_ctrl(made, controlSocket);
        BIO_meth_set_create(made, makeSocketBio);
        return made;
    }();
    return method;
}

// Where a session finds itself from OpenSSL's certificate check.
int sessionIndex()
{
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

QString handshakeFailure()
{
    const unsigned long error = ERR_peek_last_error();
    const char* reason = error != 0 ? ERR_reason_error_string(error) : nullptr;
    ERR_clear_error();
    return QStringLiteral("The secure connection failed: %1.")
        .arg(reason ? QString::fromLatin1(reason) : QStringLiteral("the server ended it during the handshake"));
}

} // namespace

TlsSession* TlsSession::start(QTcpSocket* socket, const QString& host)
{
    auto* session = new TlsSession(socket, host);
    session->advance();
    return session;
}

TlsSession* TlsSession::of(const QTcpSocket* socket)
{
    return socket->findChild<TlsSession*>(QString(), Qt::FindDirectChildrenOnly);
}

TlsSession::TlsSession(QTcpSocket* socket, const QString& host)
    : QIODevice(socket)
    , socket_(socket)
    , ssl_(SSL_new(TlsTrust::context()))
{
    BIO* bio = BIO_new(socketMethod());
    BIO_set_data(bio, socket);
    SSL_set_bio(ssl_, bio, bio);
    SSL_set_ex_data(ssl_, sessionIndex(), this);
    SSL_set_verify(ssl_, SSL_VERIFY_PEER, &TlsSession::noteFault);
    const QByteArray name = QUrl::toAce(host);
    X509_VERIFY_PARAM* check = SSL_get0_param(ssl_);
    if (QHostAddress(host).isNull()) {
        SSL_set_tlsext_host_name(ssl_, name.constData());
        X509_VERIFY_PARAM_set_hostflags(check, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        X509_VERIFY_PARAM_set1_host(check, name.constData(), static_cast<size_t>(name.size()));
    } else {
        X509_VERIFY_PARAM_set1_ip_asc(check, host.toLatin1().constData());
    }
    SSL_set_connect_state(ssl_);
    open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    connect(socket_, &QTcpSocket::readyRead, this, &TlsSession::advance);
}

TlsSession::~TlsSession()
{
    SSL_free(ssl_); // and its socket's BIO
}

// Each fault of the server's certificate is noted and the check goes on, so
// that all of them can be told; the session refuses the certificate once
// the handshake is through, before a byte of the request is sent.
int TlsSession::noteFault(int passed, x509_store_ctx_st* store)
{
    if (!passed) {
        const auto* ssl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
        auto* session = static_cast<TlsSession*>(SSL_get_ex_data(ssl, sessionIndex()));
        const int fault = X509_STORE_CTX_get_error(store);
        if (!session->faults_.contains(fault))
            session->faults_.append(fault);
    }
    return 1;
}

void TlsSession::advance()
{
    if (ended_)
        return;
    if (encrypted_) {
        emit readyRead();
        return;
    }
    ERR_clear_error();
    const int done = SSL_do_handshake(ssl_);
    if (done != 1) {
        const int error = SSL_get_error(ssl_, done);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE)
            return;
        ended_ = true;
        emit failed(handshakeFailure());
        return;
    }
    if (!faults_.isEmpty() && TlsTrust::checksCertificates()) {
        ended_ = true;
        emit failed(TlsFailureText(faults_));
        return;
    }
    encrypted_ = true;
    emit encrypted();
}

qint64 TlsSession::bytesAvailable() const
{
    if (!encrypted_ || ended_)
        return 0;
    // What the socket holds may be no data at all (a ticket, the server's
    // close): a look at the next record tells, and takes such records away.
    if (SSL_pending(ssl_) == 0 && socket_->bytesAvailable() > 0) {
        char peeked = 0;
        ERR_clear_error();
        SSL_peek(ssl_, &peeked, 1);
    }
    // Records still in the socket count at their size, a little over the
    // bytes they hold.
    return SSL_pending(ssl_) + socket_->bytesAvailable();
}

// Fills as much of `data` as the records that have come give, a record at a
// time; 0 when none is complete yet, -1 once the server has closed.
qint64 TlsSession::readData(char* data, qint64 size)
{
    if (!encrypted_ || ended_)
        return ended_ ? -1 : 0;
    qint64 got = 0;
    while (got < size) {
        ERR_clear_error();
        const int room = static_cast<int>(std::min<qint64>(size - got, INT_MAX));
        const int read = SSL_read(ssl_, data + got, room);
        if (read > 0) {
            got += read;
            continue;
        }
        const int error = SSL_get_error(ssl_, read);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) {
            ended_ = true;
            ERR_clear_error();
        }
        break;
    }
    return got > 0 || !ended_ ? got : -1;
}

qint64 TlsSession::writeData(const char* data, qint64 size)
{
    if (ended_ || size > INT_MAX)
        return -1;
    ERR_clear_error();
    const int written = SSL_write(ssl_, data, static_cast<int>(size));
    if (written <= 0) {
        ERR_clear_error();
        return -1;
    }
    return written;
}
