#include "rpc/RpcCommandLine.h"

std::optional<RpcCommandLine> RpcCommandLine::take(QStringList& arguments, QString& problem)
{
    RpcCommandLine options;
    for (qsizetype i = 1; i < arguments.size();) {
        const QString argument = arguments[i];
        const QString name = argument.section(QLatin1Char('='), 0, 0);
        if (argument == QLatin1String("--enable-rpc")) {
            options.enable = true;
            arguments.removeAt(i);
            continue;
        }
        if (name != QLatin1String("--rpc-port") && name != QLatin1String("--rpc-secret")) {
            ++i;
            continue;
        }
        const bool joined = argument.contains(QLatin1Char('='));
        if (!joined && i + 1 >= arguments.size()) {
            problem = QStringLiteral("%1 needs a value").arg(name);
            return std::nullopt;
        }
        const QString value = joined ? argument.section(QLatin1Char('='), 1) : arguments[i + 1];
        arguments.remove(i, joined ? 1 : 2);
        if (name == QLatin1String("--rpc-secret")) {
            options.secret = value;
            continue;
        }
        bool isNumber = false;
        const uint port = value.toUInt(&isNumber);
        if (!isNumber || port < 1 || port > 65535) {
            problem = QStringLiteral("--rpc-port needs a port from 1 to 65535, not %1").arg(value);
            return std::nullopt;
        }
        options.port = static_cast<quint16>(port);
    }
    return options;
}
