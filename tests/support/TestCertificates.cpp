#include "support/TestCertificates.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

const QStringList kNewKey {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                           QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
const QString kLocalNames = QStringLiteral("IP:127.0.0.1,DNS:localhost");

} // namespace

const TestCertificates& TestCertificates::instance()
{
    static const TestCertificates certificates;
    return certificates;
}

TestCertificates::TestCertificates()
{
    const bool made =
        run(QStringList {QStringLiteral("openssl"), QStringLiteral("req"), QStringLiteral("-x509")} + kNewKey
            + QStringList {QStringLiteral("-keyout"), path(QStringLiteral("ca.key")), QStringLiteral("-out"),
                           authority(), QStringLiteral("-days"), QStringLiteral("3650"), QStringLiteral("-subj"),
                           QStringLiteral("/CN=Quillspan Test Authority"), QStringLiteral("-addext"),
                           QStringLiteral("basicConstraints=critical,CA:TRUE"), QStringLiteral("-addext"),
                           QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")})
        && signedByAuthority(QStringLiteral("server"), kLocalNames, {})
        && signedByAuthority(QStringLiteral("other"), QStringLiteral("DNS:other.example"), {})
        // Signed as on a day long gone, for 30 days.
        && signedByAuthority(QStringLiteral("expired"), kLocalNames,
                             {QStringLiteral("faketime"), QStringLiteral("2020-01-01 00:00:00")})
        && run(QStringList {QStringLiteral("openssl"), QStringLiteral("req"), QStringLiteral("-x509")} + kNewKey
               + QStringList {QStringLiteral("-keyout"), selfSigned().key, QStringLiteral("-out"),
                              selfSigned().certificate, QStringLiteral("-days"), QStringLiteral("365"),
                              QStringLiteral("-subj"), QStringLiteral("/CN=localhost"), QStringLiteral("-addext"),
                              QStringLiteral("subjectAltName=") + kLocalNames});
    if (!made && error_.isEmpty())
        error_ = QStringLiteral("the test certificates could not be made");
}

bool TestCertificates::signedByAuthority(const QString& name, const QString& altNames, const QStringList& clock)
{
    const Pair made = pair(name);
    const QString request = path(name + QStringLiteral(".csr"));
    const QString extensions = path(name + QStringLiteral(".ext"));
    QFile file(extensions);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral("subjectAltName=%1\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n")
                   .arg(altNames)
                   .toUtf8());
    file.close();
    return run(QStringList {QStringLiteral("openssl"), QStringLiteral("req")} + kNewKey
               + QStringList {QStringLiteral("-keyout"), made.key, QStringLiteral("-out"), request,
                              QStringLiteral("-subj"), QStringLiteral("/CN=") + name})
        && run(clock
               + QStringList {QStringLiteral("openssl"), QStringLiteral("x509"), QStringLiteral("-req"),
                              QStringLiteral("-in"), request, QStringLiteral("-CA"), authority(),
                              QStringLiteral("-CAkey"), path(QStringLiteral("ca.key")),
                              QStringLiteral("-CAcreateserial"), QStringLiteral("-out"), made.certificate,
                              QStringLiteral("-days"), QStringLiteral("30"), QStringLiteral("-extfile"), extensions});
}

bool TestCertificates::run(const QStringList& command)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(command.first(), command.mid(1));
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        error_ = QStringLiteral("%1 failed: %2%3")
                     .arg(command.join(QLatin1Char(' ')), process.errorString(),
                          QString::fromLocal8Bit(process.readAll()));
        return false;
    }
    return true;
}

bool TestCertificates::writeAuthorityFolder(const QString& folder) const
{
    return QDir().mkpath(folder) && QFile::copy(authority(), folder + QStringLiteral("/test-ca.pem"))
        && QProcess::execute(QStringLiteral("openssl"), {QStringLiteral("rehash"), folder}) == 0;
}
