#include "engine/TlsTrust.h"

#include <QFile>

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cstdlib>

namespace {

SSL_CTX* sharedContext = nullptr;
bool checking = true;

// The system's authorities are looked up in their hashed folder (or the
// folders SSL_CERT_DIR names) as a certificate names its issuer, never read
// into memory all at once: the bundle file holds hundreds.
void trustSystemAuthorities(SSL_CTX* context)
{
    const char* folders = std::getenv(X509_get_default_cert_dir_env());
    if (X509_LOOKUP* lookup = X509_STORE_add_lookup(SSL_CTX_get_cert_store(context), X509_LOOKUP_hash_dir()))
        X509_LOOKUP_add_dir(lookup, folders ? folders : X509_get_default_cert_dir(), X509_FILETYPE_PEM);
    ERR_clear_error(); // a folder that is not there is no fault here
}

} // namespace

SSL_CTX* TlsTrust::context()
{
    if (!sharedContext) {
        sharedContext = SSL_CTX_new(TLS_client_method());
        SSL_CTX_set_min_proto_version(sharedContext, TLS1_2_VERSION);
        // A server that closes without saying so ends the stream like any
        // other close; the HTTP framing tells whether the reply was whole.
        SSL_CTX_set_options(sharedContext, SSL_OP_IGNORE_UNEXPECTED_EOF);
        trustSystemAuthorities(sharedContext);
    }
    return sharedContext;
}

bool TlsTrust::addAuthorities(const QString& path, QString* problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = QStringLiteral("can not read the certificate file %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray pem = file.readAll();
    BIO* source = BIO_new_mem_buf(pem.constData(), static_cast<int>(pem.size()));
    X509_STORE* store = SSL_CTX_get_cert_store(context());
    int added = 0;
    while (X509* certificate = PEM_read_bio_X509(source, nullptr, nullptr, nullptr)) {
        X509_STORE_add_cert(store, certificate); // one already trusted stays so
        X509_free(certificate);
        ++added;
    }
    BIO_free(source);
    ERR_clear_error(); // the end of the file reads as a fault
    if (added == 0) {
        *problem = QStringLiteral("%1 holds no PEM certificate").arg(path);
        return false;
    }
    return true;
}

void TlsTrust::checkNothing()
{
    checking = false;
}

void TlsTrust::reset()
{
    // Connections that are open keep the context they hold a reference to.
    SSL_CTX_free(sharedContext);
    sharedContext = nullptr;
    checking = true;
}

bool TlsTrust::checksCertificates()
{
    return checking;
}
