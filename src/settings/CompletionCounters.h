#pragma once

#include <QTimer>

#include <cstdint>

class Registry;
struct AppSettings;

// The completion statistics ("Downloads", "AllBytes"). A completed download
// counts in the settings record at once; the stored values are added to at
// most once a second and when this object goes (the program ends), in one
// write of the hive. The write reads and adds under the hive's lock, so
// programs that count at once add up; a killed program loses at most the
// last second's counts.
class CompletionCounters {
public:
    CompletionCounters(Registry& registry, AppSettings& settings);
    ~CompletionCounters();
    CompletionCounters(const CompletionCounters&) = delete;
    CompletionCounters& operator=(const CompletionCounters&) = delete;

    void count(qint64 bytes);
    // Stores what was counted since the last write now; true when nothing is
    // left to store.
    bool flush();

private:
    Registry& registry_;
    AppSettings& settings_;
    std::int32_t downloads_ = 0;
    double bytes_ = 0;
    QTimer timer_;
};
