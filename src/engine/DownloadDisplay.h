#pragma once

#include "engine/JobPhase.h"
#include "engine/SegmentTable.h"

#include <QString>

#include <array>

class TextLookup;

// What a download's window shows: texts, figures, bars and buttons. The job
// keeps it up to date; frmDownload draws it.
struct DownloadDisplay {
    QString caption = QStringLiteral("Download Window");
    QString txtURL;
    QString txtSaveTo;
    QString lblStatus;
    bool lblStatusIsError = false; // shown in red
    QString lblResume;
    enum class ResumeColor { Normal, Green, DarkRed } lblResumeColor = ResumeColor::Normal;
    QString lblFileSize;
    QString lblRecievedSize;
    QString lblTransferRate;
    QString lblTimeRemaining;
    QString lblElapsedTime;
    QString lblPer;
    QString lblTimer;
    bool lblTimerVisible = true;
    int ProgressBar1 = 0;
    bool ProgressBar1Visible = false;
    std::array<int, SegmentTable::kMaxSegments> PVProgressBar {};
    int segmentBarsVisible = 0;
    QString cmdPause;
    QString cmdStop;
    bool cmdPauseEnabled = true;
    bool cmdStopEnabled = true;
    bool cmdOpenVisible = false;
    bool cmdGotoDirVisible = false;
    // A download that failed or timed out may go on from another address.
    bool cmdChangeAddressVisible = false;
    bool rightToLeft = false;
    bool visible = false;
    // Counts the starts of the job; each new start puts the focus on cmdPause.
    unsigned starts = 0;
    // Captions set by SetCaptions.
    QString Frame2, Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8;
    QString cmdOpen, cmdGotoDir, cmdMore, interactdata_mnu, cmdChangeAddress;
    QString PauseCaption, ResumeCaption, StopCaption, CloseCaption;

    // Takes every caption from the language file.
    void readCaptions(const TextLookup& text);
    // The buttons of `phase`: Resume where the job can go on, Close where it
    // has ended.
    void showPhase(JobPhase phase);
    // The whole file's progress, and that of segment `index` (-1 for none),
    // for `received` bytes of `size` of the file `fileName`.
    void showProgress(const SegmentTable& segments, qint64 size, int index, const QString& fileName);
    // One bar for each of `count` connections; the overall bar only for several.
    void layoutSegmentBars(int count);
    // What the resume label says of resuming, in its colour as it stands or in `color`.
    void showResume(const QString& text) { lblResume = text; }
    void showResume(const QString& text, ResumeColor color)
    {
        lblResume = text;
        lblResumeColor = color;
    }
    void showUrl(const QString& url) { txtURL = url; }
    // The time-out countdown.
    void showTimer(bool shown) { lblTimerVisible = shown; }
    void setPauseEnabled(bool enabled) { cmdPauseEnabled = enabled; }
    void setStopEnabled(bool enabled) { cmdStopEnabled = enabled; }
};
