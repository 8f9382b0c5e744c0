#include "engine/TlsFailure.h"

#include <QStringList>

namespace {

QString reasonOf(const QSslError& error)
{
    switch (error.error()) {
    case QSslError::CertificateExpired: return QStringLiteral("the certificate has expired");
    case QSslError::CertificateNotYetValid: return QStringLiteral("the certificate is not valid yet");
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain: return QStringLiteral("the certificate is self-signed");
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted: return QStringLiteral("the certificate comes from an unknown authority");
    case QSslError::HostNameMismatch: return QStringLiteral("the certificate is for another host");
    case QSslError::CertificateRevoked: return QStringLiteral("the certificate has been revoked");
    default: return error.errorString();
    }
}

} // namespace

QString TlsFailureText(const QList<QSslError>& errors)
{
    QStringList reasons;
    for (const QSslError& error : errors) {
        const QString reason = reasonOf(error);
        if (!reasons.contains(reason))
            reasons.append(reason);
    }
    if (reasons.isEmpty())
        reasons.append(QStringLiteral("the secure connection failed"));
    return QStringLiteral("The server's certificate is not trusted: %1.").arg(reasons.join(QStringLiteral("; ")));
}
