#pragma once

#include "core/LanguageList.h"
#include "engine/DownloadQueue.h"
#include "mainwin/HistoryAutosave.h"
#include "mainwin/JobViews.h"
#include "schedule/ExtraTimer.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class DownloadJob;
class DownloadWindows;
class IntakeSession;
class KevaContext;
class ScheduleState;
class TextLookup;

// What the main window shows and does, without the window: start-up in its
// fixed order, the three shutdown paths, the global commands, the tray frame
// and the total-rate text, the captions and the tray menu's check marks.
class MainWindowState : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QDate()>;

    MainWindowState(KevaContext& context, IntakeSession& session, DownloadWindows& windows, JobViews& views,
                    Clock today, QObject* parent = nullptr);

    // The load step: every part comes up in order. Steps whose parts are not
    // there yet are skipped. Each step that ran is named in startupSteps().
    void Load();
    QStringList startupSteps() const { return steps_; }
    // Hooks for the steps that other parts provide.
    std::function<bool()> loadReceiver; // step 3: false when the receiver could not be made
    std::function<void()> addTrayIcon;  // step 4
    std::function<void()> removeTrayIcon;

    // The long timer of the schedule, and the schedule it carries out: loaded
    // in the start-up, which programs the timer; each event of the timer (or
    // a move of the clock) checks the schedule again and runs it when due.
    ExtraTimer ExtraTimer1;
    void attachSchedule(ScheduleState& frmSchedule);
    void ExtraTimer1_Timer();
    // Starts again every job of the Downloads list that is neither new nor
    // done, in its own row; existing files go as the schedule says.
    void RunSchedule();
    // Starts `url` again in its row of today's list, into the row's file (the
    // question about the existing file decides how). False when the row is
    // gone or names no file.
    bool restartRow(const JobList::Row& row, const QString& url);
    // "Change Address..." of the queue menu: the one selected row of the
    // Downloads list, when its download is not done and names its file;
    // else nothing.
    JobList::Row addressChangeRow() const;
    // Takes that row's download to `url` (see DownloadWindows::ChangeAddress).
    void changeAddress(const JobList::Row& row, const QString& url);
    // The queue menu's entries for the download queue act on the selected
    // rows of the Downloads list that wait in it.
    QList<JobList::Row> queuedSelection() const;
    // Start Now: they start at once, past the queue.
    void startNow();
    void moveInQueue(DownloadQueue::Direction direction);
    // Opens the download window of `row`'s job, also of one that runs
    // without a window; nothing when no job of the row is loaded.
    void openJobWindow(const JobList::Row& row) const;
    std::function<void(DownloadJob& job)> showJobWindow;
    // The language's texts, for the windows' questions.
    const TextLookup& texts() const;

    // While the program runs, the history file follows the rows: a few
    // seconds after they change, and at once when a job ends.
    // Shutdown paths: each writes the history; Exit writes the logins file too.
    void exitCommand();
    void trayClose();
    // The desktop session ends (or SIGTERM): history first, then the tray.
    void sessionEnd();
    bool ended() const { return ended_; }
    // Asks the program to quit (after a shutdown path).
    std::function<void()> quit;

    // Commands on download jobs: pause the running ones, resume the paused
    // ones, stop the running ones. They act on the jobs whose window is open:
    // all of them, or those whose rows are selected in the shown list. On
    // all of them, pause and stop also hold the download queue, and resume
    // lets it go on.
    enum class JobCommand { Pause, Resume, Stop };
    enum class Scope { All, Selection };
    void run(JobCommand command, Scope scope);
    // Whether the command would act on any job: an entry that would not is
    // disabled.
    bool canRun(JobCommand command, Scope scope) const;
    // The global commands of the menus.
    void PauseAll();
    void ResumeAll();
    void StopAll();
    // Visits every job whose download window is open, slot by slot.
    void forEachWindowedJob(const std::function<void(DownloadJob&)>& visit) const;

    // The 250 ms tick: total rate text (the sum of the transferring jobs'
    // rates) and tray frame.
    void tmrGraph_Timer();
    QString statusText() const { return statusText_; }
    int trayFrame() const { return trayFrame_; }
    double rateSum() const { return rateSum_; }
    // "#0#.#0#" picture of a number: at least two digits before the decimal
    // separator and two after it, three at most.
    static QString formatRate(double kilobytes, const QLocale& locale);

    // Tray menu check marks and switches.
    bool captureClicksChecked() const;
    bool clipboardMonitoringChecked() const;
    void toggleClipboardMonitoring();
    void toggleCaptureClicks();

    // The language choice, per user.
    QString storedLanguage() const;
    void storeLanguage() const;

    // The language picker: a language file's name without ".ini", with its
    // picture, for each file of the language folder. Step 9 of the load
    // fills it; when that fails the user is told, and the language files are
    // off for the rest of the run: every window keeps its built-in captions.
    void FillLanguageList();
    const LanguageList& languages() const { return languages_; }
    // Whether a picture file loads as a bitmap: the window's own check.
    // Without it the pictures are listed unchecked.
    LanguageList::PictureCheck loadsAsPicture;
    // The picker's choice of the language `name`: its file becomes the
    // language file, and the captions and the direction of the window follow.
    // Other windows take it at their next caption run.
    void ComboLang_Click(const QString& name);

    // Applies the language texts: `caption(name)` gives each control's text, its
    // built-in English caption where the language file has none.
    void SetCaptions();
    QString caption(const QString& control) const { return captions_.value(control); }
    bool rightToLeft() const;

    // Opens the user's guide with the shell.
    void openUserGuide() const;

    QString historyPath() const;

signals:
    void captionsChanged();
    // The language list was filled, or the current language changed.
    void languagesChanged();
    void trayFrameChanged(int frame);
    void statusTextChanged(const QString& text);
    // Stop All: besides the running downloads, whatever would start more
    // of them (a site download) stops.
    void stoppingAll();

private:
    enum class TrayFirst { Yes, No };

    // The selected rows of the Downloads list while it is shown, in order.
    QList<JobList::Row> selectedTodayRows() const;
    static bool appliesTo(JobCommand command, const DownloadJob& job);
    QList<DownloadJob*> targets(JobCommand command, Scope scope) const;
    void step(const QString& name);
    void removeStaleTemporaries() const;
    void saveHistory();
    void shutDown(TrayFirst trayFirst, bool writeLogins);

    KevaContext& context_;
    IntakeSession& session_;
    DownloadWindows& windows_;
    JobViews& views_;
    Clock today_;
    ScheduleState* frmSchedule_ = nullptr;
    QStringList steps_;
    QHash<QString, QString> captions_;
    LanguageList languages_;
    QString statusText_;
    int trayFrame_ = 0;
    double rateSum_ = 0;
    bool ended_ = false;
    HistoryAutosave autosave_;
};
