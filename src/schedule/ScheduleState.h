#pragma once

#include "schedule/Schedule.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class ExtraTimer;
class KevaContext;

// The schedule dialog without its window, and the schedule it keeps for the
// whole run: the time of day at which the unfinished jobs start again, on the
// current day or on chosen weekdays, and what becomes of files that exist.
// Every confirmation, and every re-check from the main window's long timer,
// runs the timing pass, which programs that timer for the next step towards
// the set time and tells when the time has come.
class ScheduleState : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    ScheduleState(KevaContext& context, ExtraTimer& timer, Clock now, QObject* parent = nullptr);

    // The choices of the lists, in their order.
    static const QStringList kHours;
    static const QStringList kMinutes;
    static const QStringList kTypes;

    // The controls.
    bool chkNoSch = true;
    QString cmbHour, cmbMinute, cmbType;
    bool optToday = true;
    bool optSelDay = false;
    // The weekday boxes, by the day of the week (0 Sunday to 6 Saturday).
    std::array<bool, 7> chkDay {};
    bool optOver = true;
    bool optRes = false;
    bool optSkip = false;
    // The enabling rule: the time lists and both options; the weekday boxes.
    bool timeEnabled = false;
    bool daysEnabled = false;
    bool visible = false;
    // The text each control shows, by the control's name ("frmSchedule" is
    // the title); the built-in English where the language file has none.
    QString caption(const QString& control) const { return captions_.value(control); }
    bool rightToLeft() const;
    // The weekday boxes' control names, Saturday to Friday, with their day of the week.
    struct DayBox {
        const char* control;
        const char* valueName;
        int dayOfWeek;
    };
    static const std::array<DayBox, 7> kDayBoxes;

    bool loaded() const { return loaded_; }
    const Schedule& schedule() const { return schedule_; }

    // Loading: every control from its stored value, then Save and the enabling rule.
    void load();
    // Copies the controls into the schedule; stores nothing.
    void Save();
    // Whether the box of a day of the week (0 Sunday to 6 Saturday) is checked.
    bool Today(int dayOfWeek) const;
    // A timing pass without messages. `noFire` keeps it from deciding that the
    // time has come; returns whether it did.
    bool InitTimer(bool noFire);

    // The main window's Schedule commands: a pass from here on may speak
    // again; the dialog is loaded unless it is, and shown.
    void showDialog();

    // Commands of the dialog.
    void setNoSchedule(bool checked);
    void chooseToday();
    void chooseSelectedDays();
    void setDay(int dayOfWeek, bool checked);
    // An hour above 12 can only be meant as 24-hour time.
    void chooseHour(const QString& hour);
    void chooseExistingFiles(Schedule::ExistingFiles choice);
    void OK();
    void Cancel();

signals:
    void changed();
    // The dialog has unloaded itself, or was cancelled.
    void closed();

private:
    void applyCaptions();
    void applyEnabling();
    // Whether a pass takes the dialog's controls, stores them and unloads
    // the dialog, or leaves the dialog as the user has it.
    enum class Dialog { Use, LeaveAlone };
    void timingPass(Dialog dialog);
    // Programs the timer for the step towards the set time; false when the
    // pass ends without storing anything.
    bool programTowards(const QDateTime& now);
    void wakeAfterMidnight(const QTime& now);
    void tell(const QString& text) const;
    void store() const;
    void unload();

    KevaContext& context_;
    ExtraTimer& timer_;
    Clock now_;
    Schedule schedule_;
    QHash<QString, QString> captions_;
    bool loaded_ = false;
    // No messages while a pass runs for InitTimer.
    bool quiet_ = false;
    bool noFire_ = false;
    bool fire_ = false;
};
