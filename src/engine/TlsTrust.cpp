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
    // Setting authorities ends the loading of the system's on demand: they
    // are taken in first, so that both are trusted.
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    QList<QSslCertificate> trusted = configuration.caCertificates();
    if (trusted.isEmpty())
        trusted = QSslConfiguration::systemCaCertificates();
    configuration.setCaCertificates(trusted + certificates);
    QSslConfiguration::setDefaultConfiguration(configuration);
    return true;
}

void TlsTrust::checkNothing()
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    QSslConfiguration::setDefaultConfiguration(configuration);
}
