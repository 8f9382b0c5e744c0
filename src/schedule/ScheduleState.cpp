#include "schedule/ScheduleState.h"

#include "core/CaptionTable.h"
#include "core/ProgramTitle.h"
#include "schedule/ExtraTimer.h"
#include "schedule/TimeDifference.h"
#include "settings/CRegister.h"
#include "settings/KevaContext.h"
#include "settings/SettingText.h"
#include "settings/SettingsDefaults.h"
#include "settings/SettingsStore.h"

namespace {

// The dialog's captioned controls, with their language keys.
constexpr CaptionKey kCaptions[] = {
    {"frmSchedule", "13000", "Schedule Downloads"},
    {"asxPowerBanner1", "13001", "Schedule Downloads"},
    {"chkNoSch", "13002", "Do not schdeule Downloads"},
    {"Frame1", "13004", "Start downloading at: "},
    {"optToday", "13005", "Today Only"},
    {"optSelDay", "13006", "Download at this time in selected days:"},
    {"chkSat", "13007", "Saturday"},
    {"chkSun", "13008", "Sunday"},
    {"chkMon", "13009", "Monday"},
    {"chkTue", "13010", "Tuesday"},
    {"chkWed", "13011", "Wednesday"},
    {"chkThr", "13012", "Thursday"},
    {"chkFri", "13013", "Friday"},
    {"Frame2", "13014", "Existing Files:- "},
    {"optOver", "13015", "Overwrite"},
    {"optRes", "13016", "Resume"},
    {"optSkip", "13017", "Do not download"},
    {"Label1", "13018", "The program will start downloading leftover files in the Downloads list at this time"},
    {"cmdOK", "02006", "&Ok"},
    {"cmdCancel", "05004", "&Cancel"},
};

const QString kIncorrectTime = QStringLiteral("Incorrect Time!!...");
const QString kPreviousTime = QStringLiteral("This is a previous time!!...");
const QString k24Hours = QStringLiteral("24HR");
const QString kPm = QStringLiteral("PM");
const QString kAm = QStringLiteral("AM");

QString checkText(bool checked)
{
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}

QString optionText(bool selected)
{
    return selected ? QStringLiteral("True") : QStringLiteral("False");
}

// A stored list entry; one that is not in the list counts as the default.
QString listed(const QStringList& list, const QString& stored, const QString& fallback)
{
    return list.contains(stored) ? stored : fallback;
}

} // namespace

const QStringList ScheduleState::kHours = [] {
    QStringList hours;
    for (int hour = 1; hour <= 23; ++hour)
        hours.append(QString::number(hour));
    hours.append(QStringLiteral("00"));
    return hours;
}();

const QStringList ScheduleState::kMinutes = [] {
    QStringList minutes;
    for (int minute = 0; minute < 60; minute += 5)
        minutes.append(QStringLiteral(":%1").arg(minute, 2, 10, QLatin1Char('0')));
    return minutes;
}();

const QStringList ScheduleState::kTypes = {kAm, kPm, k24Hours};

const std::array<ScheduleState::DayBox, 7> ScheduleState::kDayBoxes = {{
    {"chkSat", "Sat", 6},
    {"chkSun", "Sun", 0},
    {"chkMon", "Mon", 1},
    {"chkTue", "Tue", 2},
    {"chkWed", "Wed", 3},
    {"chkThr", "Thr", 4},
    {"chkFri", "fri", 5},
}};

ScheduleState::ScheduleState(KevaContext& context, ExtraTimer& timer, Clock now, QObject* parent)
    : QObject(parent)
    , context_(context)
    , timer_(timer)
    , now_(std::move(now))
{
    // The timer's ticks are checked against the same clock as the passes.
    timer_.wallClock = now_;
    cmbHour = schedule_.SchHour;
    cmbMinute = schedule_.SchMinute;
    cmbType = schedule_.SchType;
    captions_ = CaptionTable(kCaptions);
}

bool ScheduleState::rightToLeft() const
{
    return context_.text.rightToLeft();
}

void ScheduleState::applyCaptions()
{
    captions_ = CaptionTable(kCaptions, &context_.text);
}

void ScheduleState::load()
{
    const CRegister reg(context_.registry);
    const auto get = [&](const char* name, const char* fallback) {
        return reg.REGGetSetting(RegistryRoot::HKEY_LOCAL_MACHINE, SettingsDefaults::kSettingsKey,
                                 QString::fromLatin1(name), QString::fromLatin1(fallback));
    };
    // "True"/"False" and "1"/"0" alike; a text that is neither counts as the default.
    const auto truth = [&](const char* name, const char* fallback) {
        return SettingText::truth(get(name, fallback))
            .value_or(SettingText::isNumberOne(QString::fromLatin1(fallback)));
    };
    chkNoSch = truth("NoSchedule", "1");
    cmbHour = listed(kHours, get("SchHour", "1"), QStringLiteral("1"));
    cmbMinute = listed(kMinutes, get("SchMinute", ":00"), QStringLiteral(":00"));
    cmbType = listed(kTypes, get("SchType", "AM"), kAm);
    // Of a group of options the last one stored as chosen wins; with none, the first.
    optSelDay = truth("SelectDay", "0");
    optToday = !optSelDay;
    for (const DayBox& box : kDayBoxes)
        chkDay[static_cast<std::size_t>(box.dayOfWeek)] = truth(box.valueName, "0");
    optSkip = truth("Skip", "0");
    optRes = !optSkip && truth("Resume", "0");
    optOver = !optSkip && !optRes;
    Save();
    applyEnabling();
    applyCaptions();
    loaded_ = true;
    emit changed();
}

void ScheduleState::Save()
{
    schedule_.NoSchedule = chkNoSch;
    schedule_.SchHour = cmbHour;
    schedule_.SchMinute = cmbMinute;
    schedule_.SchType = cmbType;
    schedule_.Today = optToday;
    schedule_.SelectDay = optSelDay;
    schedule_.days = chkDay;
    schedule_.existingFiles = Schedule::Overwrite;
    if (optRes)
        schedule_.existingFiles = Schedule::Resume;
    if (optSkip)
        schedule_.existingFiles = Schedule::Skip;
}

bool ScheduleState::Today(int dayOfWeek) const
{
    return dayOfWeek >= 0 && dayOfWeek < 7 && chkDay[static_cast<std::size_t>(dayOfWeek)];
}

void ScheduleState::applyEnabling()
{
    timeEnabled = !chkNoSch;
    daysEnabled = timeEnabled && optSelDay;
}

void ScheduleState::showDialog()
{
    quiet_ = false;
    if (!loaded_)
        load();
    applyCaptions();
    visible = true;
    emit changed();
}

void ScheduleState::setNoSchedule(bool checked)
{
    chkNoSch = checked;
    applyEnabling();
    emit changed();
}

void ScheduleState::chooseToday()
{
    optToday = true;
    optSelDay = false;
    applyEnabling();
    emit changed();
}

void ScheduleState::chooseSelectedDays()
{
    optToday = false;
    optSelDay = true;
    applyEnabling();
    emit changed();
}

void ScheduleState::setDay(int dayOfWeek, bool checked)
{
    if (dayOfWeek < 0 || dayOfWeek >= 7)
        return;
    chkDay[static_cast<std::size_t>(dayOfWeek)] = checked;
    emit changed();
}

void ScheduleState::chooseHour(const QString& hour)
{
    cmbHour = hour;
    if (hour.toInt() > 12)
        cmbType = k24Hours;
    emit changed();
}

void ScheduleState::chooseExistingFiles(Schedule::ExistingFiles choice)
{
    optOver = choice == Schedule::Overwrite;
    optRes = choice == Schedule::Resume;
    optSkip = choice == Schedule::Skip;
    emit changed();
}

bool ScheduleState::InitTimer(bool noFire)
{
    // While the user has the dialog open, the check goes by the schedule as
    // last saved and leaves the dialog alone: its unconfirmed choices, its
    // messages, and the dialog itself, which stays open.
    const bool dialogShown = visible;
    const bool wasQuiet = quiet_;
    quiet_ = true;
    noFire_ = noFire;
    timingPass(dialogShown ? Dialog::LeaveAlone : Dialog::Use);
    if (dialogShown)
        quiet_ = wasQuiet;
    return fire_;
}

void ScheduleState::OK()
{
    timingPass(Dialog::Use);
}

void ScheduleState::Cancel()
{
    unload();
}

void ScheduleState::tell(const QString& text) const
{
    context_.prompter.tell(text, kProgramTitle, Prompter::Icon::Exclamation);
}

void ScheduleState::timingPass(Dialog dialog)
{
    fire_ = false;
    if (dialog == Dialog::Use)
        Save();
    const QDateTime now = now_();
    if (schedule_.NoSchedule) {
        // Switched off: nothing is waited for until it is switched on again.
        timer_.setEnabled(false);
    } else if (!schedule_.Today && !Today(now.date().dayOfWeek() % 7)) {
        wakeAfterMidnight(now.time());
    } else if (!programTowards(now)) {
        return;
    }
    if (dialog == Dialog::LeaveAlone)
        return;
    store();
    Save();
    unload();
}

bool ScheduleState::programTowards(const QDateTime& now)
{
    const int hour = schedule_.SchHour.toInt();
    const bool twelveHour = schedule_.SchType == kAm || schedule_.SchType == kPm;
    if (twelveHour && hour > 12) {
        if (!quiet_)
            tell(context_.text.GetText(QStringLiteral("13022"), kIncorrectTime));
        return false;
    }
    // On the twelve-hour clock 12 AM is midnight and 12 PM is noon.
    int targetHour = hour;
    if (schedule_.SchType == kPm && hour != 12)
        targetHour += 12;
    if (schedule_.SchType == kAm && hour == 12)
        targetHour = 0;
    const int minute = schedule_.SchMinute.right(2).toInt();
    const TimeDifference diff = TimeDifference::between(targetHour, minute, 0, 0, now.time());

    if (diff.H < 0) {
        if (!quiet_) {
            tell(context_.text.GetText(QStringLiteral("13023"), kPreviousTime));
            return false;
        }
        // Only a time passed less than about five minutes ago is still run.
        if (diff.H < -1 || diff.M <= 55)
            return false;
    }
    if (diff.H >= 1) {
        timer_.setIntervalUnit(ExtraTimer::Minutes);
        timer_.setInterval(diff.H * 60 + diff.M);
    } else if (diff.H == 0 && diff.S >= 1) {
        timer_.setIntervalUnit(ExtraTimer::Seconds);
        timer_.setInterval(diff.S - 1);
    } else if (diff.H < 0 && !noFire_) {
        timer_.setIntervalUnit(ExtraTimer::Seconds);
        timer_.setInterval(0);
        fire_ = true;
    }
    // Otherwise (the time passed but no run is wanted now, or a whole number
    // of minutes lies ahead) the timer keeps its programming.
    timer_.setEnabled(true);
    return true;
}

// A day without a run: wake again just after midnight.
void ScheduleState::wakeAfterMidnight(const QTime& now)
{
    const TimeDifference diff = TimeDifference::between(23, 59, 59, 0, now);
    timer_.setIntervalUnit(ExtraTimer::Minutes);
    timer_.setInterval(diff.H * 60 + diff.M + 1);
    timer_.setEnabled(true);
}

// The sixteen values, in their order. A pass that finds them all stored as
// they are writes nothing (close to the set time a pass runs every second).
void ScheduleState::store() const
{
    Registry::Values values = {
        {QStringLiteral("NoSchedule"), checkText(schedule_.NoSchedule)},
        {QStringLiteral("SchHour"), schedule_.SchHour},
        {QStringLiteral("SchMinute"), schedule_.SchMinute},
        {QStringLiteral("SchType"), schedule_.SchType},
        {QStringLiteral("Today"), optionText(schedule_.Today)},
        {QStringLiteral("SelectDay"), optionText(schedule_.SelectDay)},
    };
    for (const DayBox& box : kDayBoxes)
        values.append(
            {QString::fromLatin1(box.valueName), checkText(schedule_.days[static_cast<std::size_t>(box.dayOfWeek)])});
    values.append({QStringLiteral("OverWrite"), optionText(schedule_.existingFiles == Schedule::Overwrite)});
    values.append({QStringLiteral("Resume"), optionText(schedule_.existingFiles == Schedule::Resume)});
    values.append({QStringLiteral("Skip"), optionText(schedule_.existingFiles == Schedule::Skip)});

    SettingsStore store(context_.registry);
    const bool stored = std::all_of(values.cbegin(), values.cend(),
                                    [&](const auto& value) { return store.get(value.first) == value.second; });
    if (!stored)
        store.putAll(values);
}

void ScheduleState::unload()
{
    loaded_ = false;
    visible = false;
    emit changed();
    emit closed();
}
