#include "engine/TlsTrust.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>

bool TlsTrust::addAuthorities(const QString& path, QString* problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = QStringLiteral("can not read the certificate file %1: %2").arg(path, file.errorString());
        return false;
    }
    const QList<QSslCertificate> certificates = QSslCertificate::fromData(file.readAll(), QSsl::Pem);
    if (certificates.isEmpty()) {
        *problem = QStringLiteral("%1 holds no PEM certificate").arg(path);
        return false;
    }
    // Sockets still look the system's authorities up in their folder as a
    // certificate asks for one, so both are trusted without reading all of the
    // system's into memory (megabytes).
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setCaCertificates(configuration.caCertificates() + certificates);
    QSslConfiguration::setDefaultConfiguration(configuration);
    return true;
}

void TlsTrust::checkNothing()
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    QSslConfiguration::setDefaultConfiguration(configuration);
}
