#pragma once

#include <QObject>
#include <QString>

#include <functional>

class DesktopNotifier;
class DownloadJob;
class TextLookup;
struct AppSettings;

// Tells the desktop when a download of a window ends, well or not, while the
// setting NotifyWhenDone is on: a desktop notification naming the file, with
// Open and Open Folder, or the tray's balloon where no notification service
// runs.
class DownloadNotices : public QObject {
    Q_OBJECT
public:
    DownloadNotices(const AppSettings& settings, const TextLookup& text, DesktopNotifier& notifier,
                    QObject* parent = nullptr);

    // Shows a notice (title, body) in the tray's balloon; false where there
    // is no tray. Without it, a notice that the notifier cannot show is lost.
    std::function<bool(const QString& title, const QString& body)> showBalloon;

    // Follows `job` until it is deleted; a job watched again is followed once.
    void watch(DownloadJob& job);

private slots:
    void jobCompleted();
    void jobFailed(const QString& text);

private:
    void tell(const DownloadJob& job, const QString& outcome, bool fileOpens);

    const AppSettings& settings_;
    const TextLookup& text_;
    DesktopNotifier& notifier_;
};
