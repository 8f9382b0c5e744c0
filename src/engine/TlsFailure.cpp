#include "engine/TlsFailure.h"

#include "engine/OpenSsl.h"

#include <QStringList>

namespace {

QString reasonOf(int fault)
{
    switch (fault) {
    case X509_V_ERR_CERT_HAS_EXPIRED: return QStringLiteral("the certificate has expired");
    case X509_V_ERR_CERT_NOT_YET_VALID: return QStringLiteral("the certificate is not valid yet");
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN: return QStringLiteral("the certificate is self-signed");
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_UNTRUSTED: return QStringLiteral("the certificate comes from an unknown authority");
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH: return QStringLiteral("the certificate is for another host");
    case X509_V_ERR_CERT_REVOKED: return QStringLiteral("the certificate has been revoked");
    default: return QString::fromLatin1(OpenSsl::loaded().X509_verify_cert_error_string(fault));
    }
}

} // namespace

QString TlsFailureText(const QList<int>& faults)
{
    QStringList reasons;
    for (const int fault : faults) {
        const QString reason = reasonOf(fault);
        if (!reasons.contains(reason))
            reasons.append(reason);
    }
    if (reasons.isEmpty())
        reasons.append(QStringLiteral("the secure connection failed"));
    return QStringLiteral("The server's certificate is not trusted: %1.").arg(reasons.join(QStringLiteral("; ")));
}
