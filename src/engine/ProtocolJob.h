#pragma once

#include "core/FileExistsChoice.h"
#include "core/SiteLogin.h"
#include "core/SplitUrl.h"
#include "engine/JobPhase.h"

#include <QString>

#include <functional>
#include <optional>

struct ConnectionFactory;
class DownloadTarget;
class ProxyPolicy;
class SegmentFiles;
class SegmentTable;
class TextLookup;
struct AppSettings;
struct DownloadDisplay;
struct RequestOptions;

// What a download job offers its HTTP and FTP sides (HttpDownload,
// FtpDownload): what it fetches and with what, the segments and the target
// file the bytes go to, its phase, status and display, and its timers. The
// sides do the protocol work through this and nothing else of the job.
class ProtocolJob {
public:
    // What is fetched, and with what.
    virtual const QString& url() const = 0;
    virtual const UrlParts& urlParts() const = 0;
    virtual const RequestOptions& requestOptions() const = 0;
    virtual const AppSettings& settings() const = 0;
    virtual const TextLookup& texts() const = 0;
    virtual QString text(const char* key, const QString& fallback) const = 0;
    virtual const ConnectionFactory& connections() const = 0;
    // The proxies of this start.
    virtual const ProxyPolicy& proxies() const = 0;
    // The login the user gives for `server`; nothing without one.
    virtual std::optional<SiteLogin> loginFor(const QString& server) = 0;
    // After a redirect the job fetches `url`; gives its parts.
    virtual const UrlParts& moveTo(const QString& url) = 0;

    // Where the bytes go.
    virtual SegmentTable& segments() = 0;
    virtual SegmentFiles& files() = 0;
    virtual DownloadTarget& target() = 0;
    // The file may take the name the server gives it.
    virtual bool takesServerFileName() const = 0;
    // What to do with the existing file `path`: asked, or overwritten.
    virtual FileExistsChoice choiceForExisting(const QString& path) = 0;
    // The file is saved as `fileName` at `path` from now on, with `choice`
    // for a file already there.
    virtual void retarget(const QString& path, const QString& fileName, FileExistsChoice choice) = 0;
    // The file has `size` bytes (-1: not known); the window shows it.
    virtual void sizeKnown(qint64 size) = 0;
    virtual qint64 contentLength() const = 0;
    // Bytes of segment i were written.
    virtual void segmentProgressed(int index) = 0;
    virtual bool saveResumeState() = 0;

    // Where the job stands, and what it shows.
    virtual void setPhase(JobPhase phase) = 0;
    virtual void setStatus(const QString& text, bool isError) = 0;
    virtual void setRowStatus(const QString& text) = 0;
    virtual void setRow(int subItem, const QString& text) = 0;
    virtual DownloadDisplay& display() = 0;
    // The display changed.
    virtual void showChanges() = 0;
    // A response header, set apart in the interaction log.
    virtual void log(const QString& header) = 0;
    // A reply line, appended to the interaction log.
    virtual void logLine(const QString& line) = 0;
    virtual void tell(const QString& message, const QString& title) = 0;
    virtual bool transferGoesOn() const = 0;
    virtual bool completed() const = 0;
    virtual bool failed() const = 0;
    virtual bool isFileDownloaded() const = 0;

    // How the job ends.
    virtual void fail(const QString& message) = 0;
    virtual void writeFailed(const QString& error) = 0;
    virtual void fileNotFound() = 0;

    // Timers.
    virtual void restartTimeOut() = 0;
    // A reply came: a running time-out counts from now.
    virtual void renewTimeOut() = 0;
    virtual void stopTimeOut() = 0;
    virtual void startWatchdog() = 0;
    // The data is about to flow: the tries, the rate and the row start afresh.
    virtual void transferBegins() = 0;
    // The rate and the time left are measured from the bytes in place now.
    virtual void restartProgressMeter() = 0;
    // The progress timer runs.
    virtual void startUpdates() = 0;
    virtual void checkCompletionSoon() = 0;
    // A connection ended before its bytes were all there: `again` runs after
    // the wait the reconnect policy gives, or the job fails when none is left.
    virtual void retryShortReply(const std::function<void()>& again) = 0;
    // A pause and a resume made by the job itself.
    virtual void restart() = 0;

protected:
    ~ProtocolJob() = default;
};
