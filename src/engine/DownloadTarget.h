#pragma once

#include "core/FileExistsChoice.h"
#include "engine/ResumeFile.h"
#include "engine/ResumeState.h"

#include <QString>

#include <functional>
#include <optional>

class SegmentFiles;
class SegmentTable;
class TextLookup;

// The file a download job saves to: its path, the choice made for a file
// already there, the resume data beside it, and whether this start made it.
class DownloadTarget {
public:
    struct Callbacks {
        // The job cannot go on with this file.
        std::function<void(const QString& message)> onFail;
        std::function<void(const QString& status)> onStatus;
        // The resume data of another address was taken for this one.
        std::function<void()> onAddressTaken;
        // The file at a new address is not the one the resume data was
        // written for (see keepFileOfOtherAddress); the job cannot go on.
        std::function<void(const QString& message)> onOtherFile;
    };

    DownloadTarget(const TextLookup& text, SegmentTable& segments, SegmentFiles& files, Callbacks callbacks);

    const QString& path() const { return path_; }
    FileExistsChoice choice() const { return choice_; }
    ResumeState& resumeData() { return resume_; }

    void setPath(const QString& path);
    // A new start of `url` with `choice` for an existing file; the resume
    // data is that of the file's path.
    void begin(const QString& url, FileExistsChoice choice);
    // For this start only: when the resume data belongs to another address
    // and the file at this one is not the same, the file and its resume data
    // are left as they are (onOtherFile) instead of starting again from 0.
    void keepFileOfOtherAddress() { keepsFileOfOtherAddress_ = true; }
    // Acts on the file-exists choice: a resume goes on from its bytes, an
    // overwrite removes it and its resume data.
    void prepare();
    // Saves `url` to `path` from now on, with `choice` for a file already there.
    void retarget(const QString& url, const QString& path, FileExistsChoice choice);
    // Creates the file when it is missing, remembering that this start made it.
    void create();
    // A job that ends before a byte arrived leaves no empty file of its own
    // behind (`succeeded`: an empty file is what was downloaded).
    void removeIfEmpty(bool succeeded);
    // Resuming a file longer than the remote one would mix two files: the
    // job fails, and true.
    bool refuseLongerLocalFile(qint64 remoteSize, bool resuming);
    // Acts on the resume data beside the file for a remote file of `size`
    // bytes: `record` is what the download goes on from, or nothing when it
    // starts again from 0 (saying why). Damaged data beside a file that has
    // bytes fails the job instead, leaving the file as it is: which of its
    // bytes are in place is not known. False when the job failed.
    bool takeResumeData(const ResumeFile::Loaded& loaded, qint64 size, std::optional<ResumeRecord>* record);

private:
    const TextLookup& text_;
    SegmentTable& segments_;
    SegmentFiles& files_;
    Callbacks callbacks_;
    QString path_;
    FileExistsChoice choice_ = FileExistsChoice::Overwrite;
    bool created_ = false; // this start made the file
    bool keepsFileOfOtherAddress_ = false;
    ResumeState resume_;
};
