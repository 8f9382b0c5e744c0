#include "engine/TlsTrust.h"

#include "engine/OpenSsl.h"

#include <QFile>

#include <cstdlib>

namespace {

SSL_CTX* sharedContext = nullptr;
bool checking = true;

// The system's authorities are looked up in their hashed folder (or the
// folders SSL_CERT_DIR names) as a certificate names its issuer, never read
// into memory all at once: the bundle file holds hundreds.
void trustSystemAuthorities(const OpenSsl& ssl, SSL_CTX* context)
{
    const char* folders = std::getenv(ssl.X509_get_default_cert_dir_env());
    if (X509_LOOKUP* lookup = ssl.X509_STORE_add_lookup(ssl.SSL_CTX_get_cert_store(context),
                                                        ssl.X509_LOOKUP_hash_dir()))
        ssl.X509_LOOKUP_ctrl(lookup, X509_L_ADD_DIR, folders ? folders : ssl.X509_get_default_cert_dir(),
                             X509_FILETYPE_PEM, nullptr);
    ssl.ERR_clear_error(); // a folder that is not there is no fault here
}

} // namespace

SSL_CTX* TlsTrust::context(QString* problem)
{
    if (!sharedContext) {
        const OpenSsl* ssl = OpenSsl::load(problem);
        if (!ssl)
            return nullptr;
        sharedContext = ssl->SSL_CTX_new(ssl->TLS_client_method());
        ssl->SSL_CTX_ctrl(sharedContext, SSL_CTRL_SET_MIN_PROTO_VERSION, TLS1_2_VERSION, nullptr);
        // A server that closes without saying so ends the stream like any
        // other close; the HTTP framing tells whether the reply was whole.
        ssl->SSL_CTX_set_options(sharedContext, SSL_OP_IGNORE_UNEXPECTED_EOF);
        trustSystemAuthorities(*ssl, sharedContext);
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
    SSL_CTX* shared = context(problem);
    if (!shared)
        return false;
    const OpenSsl& ssl = OpenSsl::loaded();
    const QByteArray pem = file.readAll();
    BIO* source = ssl.BIO_new_mem_buf(pem.constData(), static_cast<int>(pem.size()));
    X509_STORE* store = ssl.SSL_CTX_get_cert_store(shared);
    int added = 0;
    while (X509* certificate = ssl.PEM_read_bio_X509(source, nullptr, nullptr, nullptr)) {
        ssl.X509_STORE_add_cert(store, certificate); // one already trusted stays so
        ssl.X509_free(certificate);
        ++added;
    }
    ssl.BIO_free(source);
    ssl.ERR_clear_error(); // the end of the file reads as a fault
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
    if (sharedContext)
        OpenSsl::loaded().SSL_CTX_free(sharedContext);
    sharedContext = nullptr;
    checking = true;
}

bool TlsTrust::checksCertificates()
{
    return checking;
}
