#pragma once

#include "rpc/RpcOptions.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// Options as aria2's interface spells them: an object of option names and
// their values as texts ("split": "4", "pause": "true", "checksum":
// "sha-256=HEX", "max-overall-download-limit": "1M"; "header" also as an
// array of texts).
class RpcOptionsJson {
public:
    enum class Scope { Download, Global };

    // The options in `object`, each checked; nothing, with the reason in
    // `problem`, for a name the scope does not know or a value it cannot take.
    static std::optional<RpcOptions> parse(const QJsonObject& object, Scope scope, QString& problem);
    // The options that are set, in aria2's spelling.
    static QJsonObject toJson(const RpcOptions& options);
};
