#include "fileshare/engine/LogForwarder.h"

#include "fileshare/engine/LengthPrefixedFile.h"
#include "platform/WindowDirectory.h"
#include "platform/WindowMessageSender.h"

LogForwarder::LogForwarder(QString perFile, int sendTimeoutMs)
    : perFile_(std::move(perFile))
    , sendTimeoutMs_(sendTimeoutMs)
    , thread_([this] { run(); })
{
}

LogForwarder::~LogForwarder()
{
    {
        const std::lock_guard guard(lock_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void LogForwarder::post(const std::string& text)
{
    {
        const std::lock_guard guard(lock_);
        if (pending_.size() + text.size() > kMaxPendingBytes) {
            dropped_ = true;
            return;
        }
        pending_ += text;
    }
    wake_.notify_one();
}

void LogForwarder::run()
{
    for (;;) {
        std::string batch;
        {
            std::unique_lock guard(lock_);
            wake_.wait(guard, [this] { return stopping_ || !pending_.empty(); });
            if (stopping_)
                return;
            batch.swap(pending_);
            if (dropped_) {
                batch += "Log text was dropped: the log window did not take it in time.\r\n";
                dropped_ = false;
            }
        }
        if (!LengthPrefixedFile::write(perFile_, QByteArray::fromStdString(batch)))
            continue;
        if (const auto receiver = WindowDirectory::findWindow(kReceiverCaption, WindowDirectory::Match::Exact))
            WindowMessageSender::send(*receiver, kLogReady, 0, std::string(), sendTimeoutMs_);
    }
}
