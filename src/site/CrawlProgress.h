#pragma once

#include <QString>

class TextLookup;

// How far a site download has come, as the main window's status bar shows it.
struct CrawlProgress {
    enum class Phase { Off, WaitingForStartPage, Crawling, Finished, Stopped };

    Phase phase = Phase::Off;
    int pages = 0;  // pages whose links were read
    int queued = 0; // listed, waiting for their turn
    int running = 0;
    int done = 0;
    int failed = 0;
    int stopped = 0; // stopped or closed before they were done

    // The status bar's text in the current language.
    QString text(const TextLookup& lookup) const;
};
