#pragma once

#include <QString>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

// Hands the engine's log text to Vantrel: the text goes into vantrel.per,
// then the window "vantrelrecdlg" is told with message 1326 and reads it.
// Posting never blocks the caller; a thread of its own writes and sends, one
// batch at a time, so the file is only rewritten after Vantrel has read it.
class LogForwarder {
public:
    static constexpr std::uint32_t kLogReady = 1326;
    static constexpr const char* kReceiverCaption = "vantrelrecdlg";
    // Text beyond this much, waiting for a slow receiver, is dropped.
    static constexpr std::size_t kMaxPendingBytes = 4 * 1024 * 1024;

    explicit LogForwarder(QString perFile, int sendTimeoutMs = 5000);
    ~LogForwarder();
    LogForwarder(const LogForwarder&) = delete;
    LogForwarder& operator=(const LogForwarder&) = delete;

    void post(const std::string& text);

private:
    void run();

    QString perFile_;
    int sendTimeoutMs_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::string pending_;
    bool dropped_ = false;
    bool stopping_ = false;
    std::thread thread_;
};
