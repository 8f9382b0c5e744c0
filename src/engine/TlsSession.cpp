#include "engine/TlsSession.h"

#include "engine/OpenSsl.h"
#include "engine/TlsFailure.h"
#include "engine/TlsTrust.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QUrl>

#include <climits>

namespace {

// OpenSSL reads and writes through the socket itself: the bytes the socket
// has read ahead go straight into OpenSSL's record buffer, with no buffer
// between them.
QTcpSocket* socketOf(BIO* bio)
{
    const OpenSsl& ssl = OpenSsl::loaded();
    ssl.BIO_clear_flags(bio, BIO_FLAGS_RWS | BIO_FLAGS_SHOULD_RETRY);
    return static_cast<QTcpSocket*>(ssl.BIO_get_data(bio));
}

int readSocket(BIO* bio, char* out, int size)
{
    QTcpSocket* socket = socketOf(bio);
    if (socket->bytesAvailable() > 0)
        return static_cast<int>(socket->read(out, size));
    if (socket->state() != QAbstractSocket::ConnectedState)
        return 0; // the end
    OpenSsl::loaded().BIO_set_flags(bio, BIO_FLAGS_READ | BIO_FLAGS_SHOULD_RETRY);
    return -1;
}

int writeSocket(BIO* bio, const char* in, int size)
{
    return static_cast<int>(socketOf(bio)->write(in, size));
}

long controlSocket(BIO*, int command, long, void*)
{
    return command == BIO_CTRL_FLUSH ? 1 : 0; // the socket sends as the event loop runs
}

int makeSocketBio(BIO* bio)
{
    OpenSsl::loaded().BIO_set_init(bio, 1);
    return 1;
}

BIO_METHOD* socketMethod()
{
    static BIO_METHOD* const method = [] {
        const OpenSsl& ssl = OpenSsl::loaded();
        BIO_METHOD* made = ssl.BIO_meth_new(ssl.BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "Qt TCP socket");
        ssl.BIO_meth_set_read(made, readSocket);
        ssl.BIO_meth_set_write(made, writeSocket);
        ssl.BIO_meth_set_ctrl(made, controlSocket);
        ssl.BIO_meth_set_create(made, makeSocketBio);
        return made;
    }();
    return method;
}

// Where a session finds itself from OpenSSL's certificate check.
int sessionIndex()
{
    static const int index = OpenSsl::loaded().CRYPTO_get_ex_new_index(CRYPTO_EX_INDEX_SSL, 0, nullptr, nullptr,
                                                                       nullptr, nullptr);
    return index;
}

QString secureConnectionFailed(const QString& reason)
{
    return QStringLiteral("The secure connection failed: %1.").arg(reason);
}

QString handshakeFailure()
{
    const OpenSsl& ssl = OpenSsl::loaded();
    const unsigned long error = ssl.ERR_peek_last_error();
    const char* reason = error != 0 ? ssl.ERR_reason_error_string(error) : nullptr;
    ssl.ERR_clear_error();
    return secureConnectionFailed(reason ? QString::fromLatin1(reason)
                                         : QStringLiteral("the server ended it during the handshake"));
}

} // namespace

TlsSession* TlsSession::start(QTcpSocket* socket, const QString& host, QString* failure)
{
    QString problem;
    SSL_CTX* context = TlsTrust::context(&problem);
    if (!context) {
        *failure = secureConnectionFailed(problem);
        return nullptr;
    }
    auto* session = new TlsSession(socket, host, context);
    session->advance();
    return session;
}

TlsSession* TlsSession::of(const QTcpSocket* socket)
{
    return socket->findChild<TlsSession*>(QString(), Qt::FindDirectChildrenOnly);
}

TlsSession::TlsSession(QTcpSocket* socket, const QString& host, ssl_ctx_st* context)
    : QIODevice(socket)
    , ssl_(OpenSsl::loaded())
    , socket_(socket)
    , session_(ssl_.SSL_new(context))
{
    BIO* bio = ssl_.BIO_new(socketMethod());
    ssl_.BIO_set_data(bio, socket);
    ssl_.SSL_set_bio(session_, bio, bio);
    ssl_.SSL_set_ex_data(session_, sessionIndex(), this);
    ssl_.SSL_set_verify(session_, SSL_VERIFY_PEER, &TlsSession::noteFault);
    const QByteArray name = QUrl::toAce(host);
    X509_VERIFY_PARAM* check = ssl_.SSL_get0_param(session_);
    if (QHostAddress(host).isNull()) {
        ssl_.SSL_ctrl(session_, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
                      const_cast<char*>(name.constData()));
        ssl_.X509_VERIFY_PARAM_set_hostflags(check, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        ssl_.X509_VERIFY_PARAM_set1_host(check, name.constData(), static_cast<size_t>(name.size()));
    } else {
        ssl_.X509_VERIFY_PARAM_set1_ip_asc(check, host.toLatin1().constData());
    }
    ssl_.SSL_set_connect_state(session_);
    open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    connect(socket_, &QTcpSocket::readyRead, this, &TlsSession::advance);
}

TlsSession::~TlsSession()
{
    ssl_.SSL_free(session_); // and its socket's BIO
}

// Each fault of the server's certificate is noted and the check goes on, so
// that all of them can be told; the session refuses the certificate once
// the handshake is through, before a byte of the request is sent.
int TlsSession::noteFault(int passed, x509_store_ctx_st* store)
{
    if (!passed) {
        const OpenSsl& ssl = OpenSsl::loaded();
        const auto* connection = static_cast<SSL*>(
            ssl.X509_STORE_CTX_get_ex_data(store, ssl.SSL_get_ex_data_X509_STORE_CTX_idx()));
        auto* session = static_cast<TlsSession*>(ssl.SSL_get_ex_data(connection, sessionIndex()));
        const int fault = ssl.X509_STORE_CTX_get_error(store);
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
    ssl_.ERR_clear_error();
    const int done = ssl_.SSL_do_handshake(session_);
    if (done != 1) {
        const int error = ssl_.SSL_get_error(session_, done);
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
    if (ssl_.SSL_pending(session_) == 0 && socket_->bytesAvailable() > 0) {
        char peeked = 0;
        ssl_.ERR_clear_error();
        ssl_.SSL_peek(session_, &peeked, 1);
    }
    // Records still in the socket count at their size, a little over the
    // bytes they hold.
    return ssl_.SSL_pending(session_) + socket_->bytesAvailable();
}

// Fills as much of `data` as the records that have come give, a record at a
// time; 0 when none is complete yet, -1 once the server has closed.
qint64 TlsSession::readData(char* data, qint64 size)
{
    if (!encrypted_ || ended_)
        return ended_ ? -1 : 0;
    qint64 got = 0;
    while (got < size) {
        ssl_.ERR_clear_error();
        const int room = static_cast<int>(std::min<qint64>(size - got, INT_MAX));
        const int read = ssl_.SSL_read(session_, data + got, room);
        if (read > 0) {
            got += read;
            continue;
        }
        const int error = ssl_.SSL_get_error(session_, read);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) {
            ended_ = true;
            ssl_.ERR_clear_error();
        }
        break;
    }
    return got > 0 || !ended_ ? got : -1;
}

qint64 TlsSession::writeData(const char* data, qint64 size)
{
    if (ended_ || size > INT_MAX)
        return -1;
    ssl_.ERR_clear_error();
    const int written = ssl_.SSL_write(session_, data, static_cast<int>(size));
    if (written <= 0) {
        ssl_.ERR_clear_error();
        return -1;
    }
    return written;
}
