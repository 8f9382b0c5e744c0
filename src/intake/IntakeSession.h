#pragma once

// What one run of KEVA remembers about taking URLs, shared by the add-URL
// dialog, the main window and the site download, and never stored: whether a
// URL was added yet (the first one asks where to save), and whether a site
// download waits for its start page or runs (then Add URL asks for a page).
class IntakeSession {
public:
    // True for the first URL since the start or since startOver(); every
    // call counts as a URL added.
    bool takeFirstUrl()
    {
        const bool first = !urlAdded_;
        urlAdded_ = true;
        return first;
    }
    // The main window loads: the next URL is the session's first again.
    void startOver() { urlAdded_ = false; }

    void beginSiteDownload() { siteDownload_ = true; }
    void endSiteDownload() { siteDownload_ = false; }
    bool siteDownloadRunning() const { return siteDownload_; }

private:
    bool urlAdded_ = false;
    bool siteDownload_ = false;
};
