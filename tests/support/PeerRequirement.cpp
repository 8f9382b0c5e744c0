#include "support/PeerRequirement.h"

#include "support/PeerServer.h"

PeerRequirement PeerRequirement::decide(bool started, bool installed, bool onCi, const QString& package,
                                        const QString& errorText)
{
    if (started)
        return {};
    if (installed)
        return {Outcome::Fail, errorText.toStdString()};
    if (onCi)
        return {Outcome::Fail,
                QStringLiteral("The peer package %1 is missing; CI must install it (scripts/setup test).")
                    .arg(package)
                    .toStdString()};
    return {Outcome::Skip,
            QStringLiteral("Skipped: install the package %1 (apt-get install %1) to run this test.")
                .arg(package)
                .toStdString()};
}

PeerRequirement PeerRequirement::start(PeerServer& server)
{
    const bool started = server.start();
    return decide(started, server.isInstalled(), qEnvironmentVariable("CI") == QStringLiteral("true"), server.package(),
                  server.errorText());
}
