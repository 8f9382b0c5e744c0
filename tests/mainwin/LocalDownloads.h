#pragma once

#include "support/LocalFileServer.h"

#include <QByteArray>
#include <QString>

class DownloadJob;
class DownloadWindows;

// A file of 40 kB, served in the test's own event loop, and downloads of it
// run to their end.
class LocalDownloads {
public:
    LocalDownloads();

    const QByteArray& content() const { return content_; }
    // Downloads the file into `savePath` through `windows`, its address
    // followed by `fragment` ("#sha256=..."), and waits until the job has
    // ended, well or not; nothing when it did not start or end within 20 s.
    DownloadJob* run(DownloadWindows& windows, const QString& savePath, const QString& fragment = QString());

    static QByteArray sha256(const QByteArray& data);
    // Runs the event loop for `ms` milliseconds, objects deleted later included.
    static void settle(int ms);

private:
    QByteArray content_;
    LocalFileServer server_;
};
