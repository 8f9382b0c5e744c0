#pragma once

#include "platform/PinnedFile.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <mutex>
#include <optional>
#include <utility>

// The parse of one file, kept while the file stays the same, so that reading
// many entries of it in a row reads and parses it once. Each request compares
// the file's identity (see PinnedFile) with that of the file parsed; a file
// replaced or changed since, or a request for another path, parses again.
//
// `Parse` turns the file's content, or nothing when the file is missing or
// cannot be read, into a `Parsed`. A missing file's parse is kept until the
// file appears; that of a file that exists but cannot be read is not kept.
//
// While hold() is in effect, requests through snapshot() get the parse the
// first of them got, without looking at the file again, so a batch of reads
// sees one version of it; a keep() (this process's own write) replaces it.
// Requests are safe from several threads at once.
template <typename Parsed> class ParsedFileCache {
public:
    // While held, the version this hold has seen; else latest().
    template <typename Parse> std::shared_ptr<const Parsed> snapshot(const QString& path, const Parse& parse)
    {
        const std::lock_guard guard(mutex_);
        if (holds_ > 0 && held_ && path == path_)
            return held_;
        auto parsed = latestLocked(path, parse);
        if (holds_ > 0)
            held_ = parsed;
        return parsed;
    }

    // The parse of the file as it is now.
    template <typename Parse> std::shared_ptr<const Parsed> latest(const QString& path, const Parse& parse)
    {
        const std::lock_guard guard(mutex_);
        return latestLocked(path, parse);
    }

    // Keeps `parsed` as the parse of the file now at `path`, which this
    // process has just written and no one else can have replaced since.
    void keep(const QString& path, Parsed parsed)
    {
        const std::lock_guard guard(mutex_);
        file_ = PinnedFile::open(path);
        path_ = path;
        parsed_ = file_.isOpen() ? std::make_shared<const Parsed>(std::move(parsed)) : nullptr;
        if (holds_ > 0)
            held_ = parsed_;
    }

    // Holds may nest; the version seen is taken at the first request after
    // the outermost hold() and dropped at its release().
    void hold()
    {
        const std::lock_guard guard(mutex_);
        ++holds_;
    }
    void release()
    {
        const std::lock_guard guard(mutex_);
        if (--holds_ == 0)
            held_.reset();
    }

    // How many times a file was read and parsed.
    int parseCount() const
    {
        const std::lock_guard guard(mutex_);
        return parseCount_;
    }

private:
    template <typename Parse> std::shared_ptr<const Parsed> latestLocked(const QString& path, const Parse& parse)
    {
        if (parsed_ && path == path_ && isUnchanged(path))
            return parsed_;
        file_ = PinnedFile::open(path);
        path_ = path;
        const std::optional<QByteArray> content = file_.isOpen() ? file_.readAll() : std::nullopt;
        ++parseCount_;
        auto parsed = std::make_shared<const Parsed>(parse(content));
        const bool keepable = content || !PinnedFile::exists(path);
        parsed_ = keepable ? parsed : nullptr;
        return parsed;
    }

    bool isUnchanged(const QString& path) const
    {
        return file_.isOpen() ? file_.isCurrent(path) : !PinnedFile::exists(path);
    }

    mutable std::mutex mutex_;
    QString path_;
    PinnedFile file_;
    std::shared_ptr<const Parsed> parsed_;
    std::shared_ptr<const Parsed> held_;
    int holds_ = 0;
    int parseCount_ = 0;
};
