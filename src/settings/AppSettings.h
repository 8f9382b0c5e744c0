#pragma once

#include <QString>

#include <array>
#include <cstdint>

// The typed working copy of the stored settings that the download engine and
// the other parts read. Created zeroed; LoadSettings fills it.
struct AppSettings {
    std::int32_t RunTimes = 0;
    bool ClickCapture = false;
    bool ClipboardMonitoring = false;
    std::int16_t Timeout = 0;
    bool StopResume = false;
    std::int16_t TimeResume = 0;
    std::int16_t TimeNoResume = 0;
    bool Retry = false;
    std::int16_t RetryTime = 0;
    std::int16_t Retries = 0;
    std::int32_t Rollback = 0;
    // The most all downloads together may fetch, in kilobytes a second; 0: no limit.
    std::int32_t SpeedLimit = 0;
    bool StartupWithWindows = false;
    std::int8_t Segment = 0;
    // Entries 1 to 9 are the file-size bounds of the segment table; entry 0 is unused.
    std::array<double, 10> SegmentSize {};
    bool PromptDone = false;
    bool CloseDownloadWindowWhenDone = false;
    // A desktop notification tells when a download of a window ends.
    bool NotifyWhenDone = false;
    // What happens once every download has ended (AllDoneAction), and the
    // command that the action RunCommand runs.
    std::int8_t AllDoneAction = 0;
    QString AllDoneCommand;
    bool DownloadNowOption = false;
    bool DownloadLaterOption = false;
    bool DownloadPromptOption = false;
    std::int32_t Downloads = 0;
    // Total bytes downloaded. Kept in double precision so that small files
    // still count once the total has grown past a few gigabytes.
    double AllBytes = 0;
    bool UsePASV = false;
    bool UseProxy = false;
    QString ProxyServer;
    // A TCP port: 0 to 65535.
    std::uint16_t ProxyPort = 0;
    bool UseFTPProxy = false;
    bool LoginProxy = false;
    bool UsePass = false;
    QString UserID;
    QString UserPass;
    // The remote-control port (aria2's JSON-RPC interface): off by default,
    // on 127.0.0.1 port 6800; the secret every call carries; the web pages
    // (origins, separated by spaces) that may call it.
    bool RpcEnabled = false;
    std::uint16_t RpcPort = 0;
    QString RpcSecret;
    QString RpcListenAddress;
    QString RpcAllowedOrigins;

    // Stores the nine stored segment bounds; odd-numbered bounds 3, 5, 7 and 9
    // get 1 added, so that each size range starts one byte above the last.
    void setSegmentBound(int index, double storedBytes);

    bool operator==(const AppSettings&) const = default;
};
