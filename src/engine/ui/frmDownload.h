#pragma once

#include "engine/SegmentTable.h"

#include <QColor>
#include <QTimer>
#include <QWidget>

#include <array>

class DownloadJob;
class TextLookup;
class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;

// The download window: a view over one DownloadJob. It shows the job's
// Display and turns clicks into the job's commands; it keeps nothing else.
class frmDownload : public QWidget {
    Q_OBJECT
public:
    frmDownload(const TextLookup& text, DownloadJob& job, QWidget* parent = nullptr);

    // What closing the window does: unload the job (the window of a job that
    // started with one), or only hide the window (one the user opened over a
    // job that runs without a window).
    enum class Closing { UnloadsJob, HidesWindow };

    // Shows the window of `job`: the one already made for it, or a new
    // top-level window that is deleted together with the job.
    static frmDownload* showFor(const TextLookup& text, DownloadJob& job, Closing closing = Closing::UnloadsJob);

    DownloadJob& job() const { return job_; }

    // The longest a change of the job waits before it shows. The job reports
    // every data chunk; the window repaints at most this often.
    static constexpr int kRefreshMs = 100;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void layOutControls();
    void connectCommands();
    void scheduleRefresh();
    void refresh();
    static void tint(QLabel* label, const QColor& colour);
    void showServerData(const QString& log);

    const TextLookup& text_;
    DownloadJob& job_;
    QTimer refreshTimer_;
    Closing closing_ = Closing::UnloadsJob;
    unsigned focusedStart_ = 0; // the job start whose focus went to cmdPause

    QGroupBox* Frame2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* txtURL = nullptr;
    QLineEdit* txtSaveTo = nullptr;
    QLabel* lblStatus = nullptr;
    QLabel* lblResume = nullptr;
    QLabel* lblFileSize = nullptr;
    QLabel* lblRecievedSize = nullptr;
    QLabel* lblTransferRate = nullptr;
    QLabel* lblTimeRemaining = nullptr;
    QLabel* lblElapsedTime = nullptr;
    QLabel* lblPer = nullptr;
    QLabel* lblTimer = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    std::array<QProgressBar*, SegmentTable::kMaxSegments> PVProgressBar {};
    QPushButton* cmdPause = nullptr;
    QPushButton* cmdStop = nullptr;
    QPushButton* cmdOpen = nullptr;
    QPushButton* cmdGotoDir = nullptr;
    QPushButton* cmdChangeAddress = nullptr;
    QPushButton* cmdMore = nullptr;
    QMenu* mnuMore = nullptr;
    QAction* interactdata_mnu = nullptr;
};
