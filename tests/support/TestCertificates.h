#pragma once

#include <QString>
#include <QTemporaryDir>

// Certificates made with the openssl command for the TLS tests: a test
// authority; a server certificate for 127.0.0.1 and localhost signed by it;
// an expired one and one for another host, signed by it too; and a
// self-signed one. Made once per test program.
class TestCertificates {
public:
    struct Pair {
        QString certificate;
        QString key;
    };

    static const TestCertificates& instance();

    // False when openssl (or faketime, for the expired one) failed; error() says why.
    bool ok() const { return error_.isEmpty(); }
    QString error() const { return error_; }

    QString authority() const { return path(QStringLiteral("ca.pem")); }
    Pair server() const { return pair(QStringLiteral("server")); }
    Pair expired() const { return pair(QStringLiteral("expired")); }
    Pair otherHost() const { return pair(QStringLiteral("other")); }
    Pair selfSigned() const { return pair(QStringLiteral("self")); }
    // Makes `folder` hold the test authority as a system's folder of
    // authorities holds its own (under its hashed name); false on failure.
    bool writeAuthorityFolder(const QString& folder) const;

private:
    TestCertificates();
    QString path(const QString& name) const { return folder_.filePath(name); }
    Pair pair(const QString& name) const
    {
        return {path(name + QStringLiteral(".pem")), path(name + QStringLiteral(".key"))};
    }
    bool run(const QStringList& command);
    bool signedByAuthority(const QString& name, const QString& altNames, const QStringList& clock);

    QTemporaryDir folder_;
    QString error_;
};
