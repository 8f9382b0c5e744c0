#pragma once

#include "core/Checksum.h"

#include <QString>
#include <QStringList>

#include <optional>

// The options a remote client can give a download (aria2.addUri,
// aria2.changeOption) or the whole program (aria2.changeGlobalOption), each
// unset unless given; sizes in bytes, speeds in bytes a second.
struct RpcOptions {
    // Of one download.
    std::optional<QString> dir;
    std::optional<QString> out;        // the file name within dir
    std::optional<QStringList> header; // "Name: value" lines
    std::optional<QString> referer;
    std::optional<QString> userAgent;
    std::optional<int> split; // connections
    std::optional<Checksum> checksum;
    std::optional<bool> pause; // listed paused instead of started
    std::optional<bool> allowOverwrite;
    std::optional<bool> continueDownload; // resume a partly downloaded file of that name
    // Of the whole program.
    std::optional<qint64> maxOverallDownloadLimit; // 0: no limit
    std::optional<int> maxConcurrentDownloads;

    bool operator==(const RpcOptions&) const = default;
};
