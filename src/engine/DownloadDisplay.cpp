#include "engine/DownloadDisplay.h"

#include "core/TextReadSession.h"
#include "engine/ProgressMeter.h"

void DownloadDisplay::readCaptions(const TextLookup& text)
{
    const TextReadSession session(text);
    const auto get = [&text](const char* key, const char* fallback) {
        return text.caption(QString::fromLatin1(key), QString::fromLatin1(fallback));
    };
    rightToLeft = text.rightToLeft();
    caption = get("04000", "Download Window");
    Frame2 = get("04001", "File Info");
    Label1 = get("04002", "Saving To:");
    Label2 = get("04003", "URL:");
    Label3 = get("04004", "Resume:");
    Label4 = get("04005", "File Size:");
    Label6 = get("04006", "Received Size:");
    Label5 = get("04007", "Time Remaining:");
    Label7 = get("04008", "Elapsed Time:");
    Label8 = get("04009", "Transfer Rate:");
    cmdOpen = get("04010", "&Open");
    cmdGotoDir = get("04011", "&Go To Dir");
    PauseCaption = get("04012", "&Pause");
    ResumeCaption = get("04013", "&Resume");
    StopCaption = get("04014", "&Stop");
    CloseCaption = get("04015", "&Close");
    cmdMore = get("04016", "More...");
    interactdata_mnu = get("04017", "Server Interaction Info");
    cmdChangeAddress = get("04040", "Change &Address...");
}

void DownloadDisplay::showPhase(JobPhase phase)
{
    // A job that is over offers to close its window, failed ones too.
    const bool offersClose = phase == JobPhase::Stopped || phase == JobPhase::Completed || phase == JobPhase::NotFound
        || phase == JobPhase::Failed || phase == JobPhase::Closed;
    cmdPause = phaseOffersResume(phase) ? ResumeCaption : PauseCaption;
    cmdStop = offersClose ? CloseCaption : StopCaption;
    cmdPauseEnabled = phaseCanResume(phase) || phaseRuns(phase);
    cmdStopEnabled = phase != JobPhase::Paused;
    cmdChangeAddressVisible = phase == JobPhase::Failed || phase == JobPhase::NotFound || phase == JobPhase::TimedOut;
}

void DownloadDisplay::showProgress(const SegmentTable& segments, qint64 size, int index, const QString& fileName)
{
    ProgressBar1 = ProgressMeter::percent(segments.receivedBytes(), size);
    // The caption and lblPer show the design's count, one more than the bytes.
    const int shown = std::min(ProgressMeter::percent(segments.TotalReceived(), size), 100);
    caption = fileName + QStringLiteral(" [") + QString::number(shown) + QStringLiteral("%]");
    lblPer = QString::number(shown) + QLatin1Char('%');
    if (index >= 0 && index < SegmentTable::kMaxSegments) {
        const auto at = static_cast<std::size_t>(index);
        const qint64 start = segments.SegStart[at];
        PVProgressBar[at] = ProgressMeter::percent(segments.nextOffset(index) - start,
                                                   segments.segmentEnd(index) - start);
    }
}

void DownloadDisplay::layoutSegmentBars(int count)
{
    ProgressBar1Visible = count >= 2;
    segmentBarsVisible = count;
    PVProgressBar.fill(0);
}
