#include "settings/CompletionCounters.h"

#include "settings/AppSettings.h"
#include "settings/SettingsStore.h"

namespace {

constexpr int kWriteIntervalMs = 1000;

} // namespace

CompletionCounters::CompletionCounters(Registry& registry, AppSettings& settings)
    : registry_(registry)
    , settings_(settings)
{
    timer_.setSingleShot(true);
    timer_.setInterval(kWriteIntervalMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { flush(); });
}

CompletionCounters::~CompletionCounters()
{
    flush();
}

void CompletionCounters::count(qint64 bytes)
{
    downloads_ += 1;
    bytes_ += static_cast<double>(bytes);
    settings_.Downloads += 1;
    settings_.AllBytes += static_cast<double>(bytes);
    if (!timer_.isActive())
        timer_.start();
}

bool CompletionCounters::flush()
{
    timer_.stop();
    if (downloads_ == 0)
        return true;
    if (!SettingsStore(registry_).addToDownloadCounters(downloads_, bytes_, settings_)) {
        // Kept for the next try; the hive may be writable again by then.
        timer_.start();
        return false;
    }
    downloads_ = 0;
    bytes_ = 0;
    return true;
}
