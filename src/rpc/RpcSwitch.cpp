#include "rpc/RpcSwitch.h"

#include "core/ProgramTitle.h"
#include "rpc/RpcServer.h"
#include "settings/KevaContext.h"

RpcSwitch::RpcSwitch(KevaContext& context, RpcServer& server, RpcCommandLine commandLine)
    : context_(context)
    , server_(server)
    , commandLine_(std::move(commandLine))
{
}

void RpcSwitch::apply()
{
    const AppSettings& stored = context_.appSettings;
    if (!stored.RpcEnabled && !commandLine_.enable) {
        server_.stop();
        return;
    }
    RpcServerSettings settings;
    settings.address = stored.RpcListenAddress.trimmed();
    settings.port = commandLine_.port.value_or(stored.RpcPort);
    settings.secret = commandLine_.secret.isEmpty() ? stored.RpcSecret : commandLine_.secret;
    settings.allowedOrigins = stored.RpcAllowedOrigins.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (server_.isListening() && server_.settings() == settings)
        return;

    const TextLookup& text = context_.text;
    const QString port = QString::number(settings.port);
    QString problem;
    switch (server_.start(settings)) {
    case RpcServer::Refusal::None: return;
    case RpcServer::Refusal::NoSecret:
        problem = text.GetText(QStringLiteral("090628"),
                               QStringLiteral("Remote control needs a secret: tick its box on the Connections page "
                                              "of the settings, or start KEVA with --rpc-secret."));
        break;
    case RpcServer::Refusal::BadAddress:
        problem = text.GetText(QStringLiteral("090626"),
                               QStringLiteral("Remote control cannot listen on %1: it is not an address of this "
                                              "computer."))
                      .arg(settings.address);
        break;
    case RpcServer::Refusal::AddressInUse:
        problem = text.GetText(QStringLiteral("090625"),
                               QStringLiteral("Remote control cannot listen on %1 port %2: the port is in use by "
                                              "another program. Choose another port on the Connections page of the "
                                              "settings."))
                      .arg(settings.address, port);
        break;
    case RpcServer::Refusal::Other:
        problem = text.GetText(QStringLiteral("090627"),
                               QStringLiteral("Remote control cannot listen on %1 port %2: %3"))
                      .arg(settings.address, port, server_.errorString());
        break;
    }
    context_.prompter.tell(problem, kProgramTitle, Prompter::Icon::Exclamation);
}
