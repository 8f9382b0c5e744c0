#include "schedule/ScheduleState.h"

#include "platform/Registry.h"
#include "schedule/ExtraTimer.h"
#include "settings/KevaContext.h"

#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

const QString kKey = QStringLiteral("Software\\Quillspan Software\\KEVA 1.0");
// 2026-12-06 is a Sunday, 2026-12-11 a Friday.
const QDate kSunday(2026, 12, 6);
const QDate kMonday(2026, 12, 7);
const QDate kFriday(2026, 12, 11);

class ScheduleStateTest : public testing::Test {
protected:
    void SetUp() override
    {
        context = &home.newContext();
        state = std::make_unique<ScheduleState>(*context, timer, [this] { return now; });
    }
    void store(const char* name, const char* value)
    {
        context->registry.writeValue(RegistryRoot::HKEY_LOCAL_MACHINE, kKey, QString::fromLatin1(name),
                                     QString::fromLatin1(value));
    }
    std::optional<QString> stored(const char* name) const
    {
        return context->registry.readValue(RegistryRoot::HKEY_LOCAL_MACHINE, kKey, QString::fromLatin1(name));
    }
    // Loads the dialog with a time switched on.
    void setTime(const char* hour, const char* minute, const char* type)
    {
        state->load();
        state->setNoSchedule(false);
        state->cmbHour = QString::fromLatin1(hour);
        state->cmbMinute = QString::fromLatin1(minute);
        state->cmbType = QString::fromLatin1(type);
    }

    TestHome home;
    KevaContext* context = nullptr;
    ExtraTimer timer;
    QDateTime now {kMonday, QTime(9, 0)};
    std::unique_ptr<ScheduleState> state;
};

TEST_F(ScheduleStateTest, LoadsTheDefaultsWhenNothingIsStored)
{
    state->load();
    EXPECT_TRUE(state->loaded());
    EXPECT_TRUE(state->chkNoSch);
    EXPECT_EQ(state->cmbHour, QStringLiteral("1"));
    EXPECT_EQ(state->cmbMinute, QStringLiteral(":00"));
    EXPECT_EQ(state->cmbType, QStringLiteral("AM"));
    EXPECT_TRUE(state->optToday);
    EXPECT_FALSE(state->optSelDay);
    EXPECT_EQ(state->chkDay, (std::array<bool, 7> {}));
    EXPECT_TRUE(state->optOver);
    EXPECT_FALSE(state->optRes || state->optSkip);
    EXPECT_FALSE(state->timeEnabled) << "no schedule: the time cannot be set";
    EXPECT_FALSE(state->daysEnabled);
    EXPECT_EQ(state->schedule().existingFiles, Schedule::Overwrite);
    EXPECT_TRUE(state->schedule().NoSchedule) << "loading saves the controls into the schedule";
}

TEST_F(ScheduleStateTest, TheListsHoldTheirChoicesInOrder)
{
    ASSERT_EQ(ScheduleState::kHours.size(), 24);
    EXPECT_EQ(ScheduleState::kHours.front(), QStringLiteral("1"));
    EXPECT_EQ(ScheduleState::kHours[22], QStringLiteral("23"));
    EXPECT_EQ(ScheduleState::kHours.back(), QStringLiteral("00"));
    EXPECT_EQ(
        ScheduleState::kMinutes,
        (QStringList {QStringLiteral(":00"), QStringLiteral(":05"), QStringLiteral(":10"), QStringLiteral(":15"),
                      QStringLiteral(":20"), QStringLiteral(":25"), QStringLiteral(":30"), QStringLiteral(":35"),
                      QStringLiteral(":40"), QStringLiteral(":45"), QStringLiteral(":50"), QStringLiteral(":55")}));
    EXPECT_EQ(ScheduleState::kTypes,
              (QStringList {QStringLiteral("AM"), QStringLiteral("PM"), QStringLiteral("24HR")}));
}

// Stored values as the dialog writes them, as older versions wrote them,
// and as a hand edit may leave them.
struct LoadCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> values;
    bool noSchedule;
    const char* hour;
    const char* minute;
    const char* type;
    bool selectDay;
    std::array<bool, 7> days; // Sunday to Saturday
    Schedule::ExistingFiles existing;
};

class ScheduleLoad : public ScheduleStateTest, public testing::WithParamInterface<LoadCase> { };

TEST_P(ScheduleLoad, ReadsEveryStoredValue)
{
    const LoadCase& c = GetParam();
    for (const auto& [name, value] : c.values)
        store(name, value);
    state->load();
    const Schedule& s = state->schedule();
    EXPECT_EQ(s.NoSchedule, c.noSchedule);
    EXPECT_EQ(s.SchHour, QString::fromLatin1(c.hour));
    EXPECT_EQ(s.SchMinute, QString::fromLatin1(c.minute));
    EXPECT_EQ(s.SchType, QString::fromLatin1(c.type));
    EXPECT_EQ(s.SelectDay, c.selectDay);
    EXPECT_EQ(s.Today, !c.selectDay);
    EXPECT_EQ(s.days, c.days);
    EXPECT_EQ(s.existingFiles, c.existing);
    EXPECT_EQ(state->optOver + state->optRes + state->optSkip, 1) << "one option of the group";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScheduleLoad,
    testing::Values(LoadCase {"AsWritten",
                              {{"NoSchedule", "0"},
                               {"SchHour", "11"},
                               {"SchMinute", ":30"},
                               {"SchType", "PM"},
                               {"Today", "False"},
                               {"SelectDay", "True"},
                               {"Sat", "1"},
                               {"Sun", "0"},
                               {"Mon", "1"},
                               {"fri", "1"},
                               {"OverWrite", "False"},
                               {"Resume", "True"},
                               {"Skip", "False"}},
                              false,
                              "11",
                              ":30",
                              "PM",
                              true,
                              {false, true, false, false, false, true, true},
                              Schedule::Resume},
                    LoadCase {"NumbersForOptions",
                              {{"NoSchedule", "False"},
                               {"Today", "1"},
                               {"SelectDay", "0"},
                               {"Thr", "True"},
                               {"OverWrite", "0"},
                               {"Skip", "1"}},
                              false,
                              "1",
                              ":00",
                              "AM",
                              false,
                              {false, false, false, false, true, false, false},
                              Schedule::Skip},
                    LoadCase {"OutsideTheLists",
                              {{"SchHour", "25"}, {"SchMinute", ":07"}, {"SchType", "pm"}, {"NoSchedule", "maybe"}},
                              true,
                              "1",
                              ":00",
                              "AM",
                              false,
                              {},
                              Schedule::Overwrite},
                    LoadCase {"MidnightHour",
                              {{"SchHour", "00"}, {"SchType", "24HR"}},
                              true,
                              "00",
                              ":00",
                              "24HR",
                              false,
                              {},
                              Schedule::Overwrite},
                    LoadCase {"NoOptionChosen",
                              {{"OverWrite", "False"}, {"Resume", "False"}, {"Skip", "False"}},
                              true,
                              "1",
                              ":00",
                              "AM",
                              false,
                              {},
                              Schedule::Overwrite}),
    CaseName());

// The enabling rule: nothing while no schedule is wanted; the weekdays only
// in the selected-days mode.
struct EnablingCase {
    const char* name;
    bool noSchedule;
    bool selectDays;
    bool timeEnabled;
    bool daysEnabled;
};

class ScheduleEnabling : public ScheduleStateTest, public testing::WithParamInterface<EnablingCase> { };

TEST_P(ScheduleEnabling, FollowsTheSwitchAndTheOption)
{
    const EnablingCase& c = GetParam();
    state->load();
    if (c.selectDays)
        state->chooseSelectedDays();
    else
        state->chooseToday();
    state->setNoSchedule(c.noSchedule);
    EXPECT_EQ(state->timeEnabled, c.timeEnabled);
    EXPECT_EQ(state->daysEnabled, c.daysEnabled);
}

INSTANTIATE_TEST_SUITE_P(Cases, ScheduleEnabling,
                         testing::Values(EnablingCase {"OffToday", true, false, false, false},
                                         EnablingCase {"OffSelected", true, true, false, false},
                                         EnablingCase {"OnToday", false, false, true, false},
                                         EnablingCase {"OnSelected", false, true, true, true}),
                         CaseName());

TEST_F(ScheduleStateTest, AnHourAbove12ChoosesTheTwentyFourHourClock)
{
    state->load();
    state->cmbType = QStringLiteral("PM");
    state->chooseHour(QStringLiteral("12"));
    EXPECT_EQ(state->cmbType, QStringLiteral("PM"));
    state->chooseHour(QStringLiteral("00"));
    EXPECT_EQ(state->cmbType, QStringLiteral("PM"));
    state->chooseHour(QStringLiteral("13"));
    EXPECT_EQ(state->cmbType, QStringLiteral("24HR"));
    EXPECT_EQ(state->cmbHour, QStringLiteral("13"));
}

TEST_F(ScheduleStateTest, TodayTellsTheCheckedWeekdays)
{
    state->load();
    state->setDay(0, true); // Sunday
    state->setDay(5, true); // Friday
    for (int day = 0; day < 7; ++day)
        EXPECT_EQ(state->Today(day), day == 0 || day == 5) << day;
    EXPECT_FALSE(state->Today(7));
    EXPECT_FALSE(state->Today(-1));
}

TEST_F(ScheduleStateTest, CaptionsComeFromTheLanguageFileWithEnglishFallbacks)
{
    home.writeFile(QStringLiteral("home/Lang/English.ini"), "[KEVA]\n13000=T13000\n13013=T13013\n02006=T02006\n");
    context = &home.newContext();
    state = std::make_unique<ScheduleState>(*context, timer, [this] { return now; });
    state->showDialog();
    EXPECT_EQ(state->caption(QStringLiteral("frmSchedule")), QStringLiteral("T13000"));
    EXPECT_EQ(state->caption(QStringLiteral("chkFri")), QStringLiteral("T13013"));
    EXPECT_EQ(state->caption(QStringLiteral("cmdOK")), QStringLiteral("T02006"));
    EXPECT_EQ(state->caption(QStringLiteral("chkNoSch")), QStringLiteral("Do not schdeule Downloads"));
    EXPECT_EQ(state->caption(QStringLiteral("Frame2")), QStringLiteral("Existing Files:-")) << "trimmed, as every text";
    EXPECT_EQ(state->caption(QStringLiteral("cmdCancel")), QStringLiteral("&Cancel"));
    EXPECT_TRUE(state->visible);
}

// The timing pass over a set clock. Before each pass the timer is disabled
// and programmed with 7 minutes, so a pass that keeps its programming shows.
struct PassCase {
    const char* name;
    QDateTime now;
    const char* hour;
    const char* minute;
    const char* type;
    std::array<bool, 7> days; // the selected-days mode when any is set
    enum Call { Ok, Quiet, QuietNoFire } call;
    const char* message; // empty: none
    bool fire;
    bool enabled;
    qint32 unit;
    qint32 interval;
    bool stored; // stored and unloaded; else the dialog stays as it was
};

constexpr std::array<bool, 7> kEveryDay {};
constexpr std::array<bool, 7> kSundayOnly {true, false, false, false, false, false, false};
constexpr std::array<bool, 7> kFridayOnly {false, false, false, false, false, true, false};

class ScheduleTimingPass : public ScheduleStateTest, public testing::WithParamInterface<PassCase> { };

TEST_P(ScheduleTimingPass, ProgramsTheTimerForTheNextStep)
{
    const PassCase& c = GetParam();
    setTime(c.hour, c.minute, c.type);
    if (c.days != kEveryDay) {
        state->chooseSelectedDays();
        for (int day = 0; day < 7; ++day)
            state->setDay(day, c.days[static_cast<std::size_t>(day)]);
    }
    now = c.now;
    timer.setIntervalUnit(ExtraTimer::Minutes);
    timer.setInterval(7);
    QSignalSpy closed(state.get(), &ScheduleState::closed);

    bool fired = false;
    if (c.call == PassCase::Ok)
        state->OK();
    else
        fired = state->InitTimer(c.call == PassCase::QuietNoFire);

    if (*c.message) {
        ASSERT_EQ(home.prompter.shown.size(), 1);
        EXPECT_EQ(home.prompter.shown[0].text, QString::fromLatin1(c.message));
        EXPECT_EQ(home.prompter.shown[0].caption, QStringLiteral("Quillspan"));
        EXPECT_EQ(home.prompter.shown[0].icon, Prompter::Icon::Exclamation);
    } else {
        EXPECT_TRUE(home.prompter.shown.isEmpty());
    }
    EXPECT_EQ(fired, c.fire);
    EXPECT_EQ(timer.Enabled(), c.enabled);
    EXPECT_EQ(timer.IntervalUnit(), c.unit);
    EXPECT_EQ(timer.Interval(), c.interval);
    EXPECT_EQ(stored("SchHour").has_value(), c.stored);
    EXPECT_EQ(closed.count(), c.stored ? 1 : 0);
    EXPECT_EQ(state->loaded(), !c.stored);
}

QDateTime at(const QDate& date, int h, int m, int s = 0, int ms = 0)
{
    return {date, QTime(h, m, s, ms)};
}

using P = PassCase;
constexpr qint32 kMin = ExtraTimer::Minutes;
constexpr qint32 kSec = ExtraTimer::Seconds;

INSTANTIATE_TEST_SUITE_P(
    Cases, ScheduleTimingPass,
    testing::Values(
        P {"PmElevenThirty", at(kMonday, 21, 10), "11", ":30", "PM", kEveryDay, P::Ok, "", false, true, kMin, 140,
           true},
        P {"TwentyFourHour13", at(kMonday, 10, 50), "13", ":00", "24HR", kEveryDay, P::Ok, "", false, true, kMin, 130,
           true},
        P {"Am13", at(kMonday, 10, 50), "13", ":00", "AM", kEveryDay, P::Ok, "Incorrect Time!!...", false, false, kMin,
           7, false},
        P {"Pm13", at(kMonday, 10, 50), "13", ":00", "PM", kEveryDay, P::Ok, "Incorrect Time!!...", false, false, kMin,
           7, false},
        P {"Am13Quiet", at(kMonday, 10, 50), "13", ":00", "AM", kEveryDay, P::Quiet, "", false, false, kMin, 7, false},
        P {"TwoHoursTenAhead", at(kMonday, 7, 50), "10", ":00", "AM", kEveryDay, P::Ok, "", false, true, kMin, 130,
           true},
        // Minutes leave the seconds out: a later pass aligns on them.
        P {"HoursAndSecondsAhead", at(kMonday, 7, 50, 20), "10", ":00", "AM", kEveryDay, P::Ok, "", false, true, kMin,
           129, true},
        P {"FortySecondsAhead", at(kMonday, 9, 59, 20), "10", ":00", "AM", kEveryDay, P::Ok, "", false, true, kSec, 39,
           true},
        P {"MinutesAndSecondsAhead", at(kMonday, 9, 40, 20), "10", ":00", "AM", kEveryDay, P::Ok, "", false, true, kSec,
           39, true},
        P {"AMinuteAgo", at(kMonday, 10, 1), "10", ":00", "AM", kEveryDay, P::Ok, "This is a previous time!!...", false,
           false, kMin, 7, false},
        P {"AMinuteAgoQuiet", at(kMonday, 10, 1), "10", ":00", "AM", kEveryDay, P::Quiet, "", true, true, kSec, 0,
           true},
        P {"AMinuteAgoAtStartUp", at(kMonday, 10, 1), "10", ":00", "AM", kEveryDay, P::QuietNoFire, "", false, true,
           kMin, 7, true},
        P {"FourMinutesAgoQuiet", at(kMonday, 10, 4, 0), "10", ":00", "AM", kEveryDay, P::Quiet, "", true, true, kSec,
           0, true},
        P {"OverFourMinutesAgoQuiet", at(kMonday, 10, 4, 0, 1), "10", ":00", "AM", kEveryDay, P::Quiet, "", false,
           false, kMin, 7, false},
        // Only the last few minutes count, not the same minutes an hour earlier.
        P {"AnHourAndTwoMinutesAgoQuiet", at(kMonday, 11, 2), "10", ":00", "AM", kEveryDay, P::Quiet, "", false, false,
           kMin, 7, false},
        // Exactly 57 minutes ahead on the second: no run yet; the programming stays.
        P {"WholeMinutesAheadKeeps", at(kMonday, 9, 3, 59, 500), "10", ":00", "AM", kEveryDay, P::Quiet, "", false,
           true, kMin, 7, true},
        P {"WholeMinutesAheadKeepsShort", at(kMonday, 9, 50, 0), "10", ":00", "AM", kEveryDay, P::Quiet, "", false,
           true, kMin, 7, true},
        // On the twelve-hour clock 12 AM is midnight and 12 PM noon.
        P {"TwelvePmIsNoon", at(kMonday, 11, 0), "12", ":00", "PM", kEveryDay, P::Ok, "", false, true, kMin, 60, true},
        P {"TwelvePmPassedQuiet", at(kMonday, 12, 2), "12", ":00", "PM", kEveryDay, P::Quiet, "", true, true, kSec, 0,
           true},
        P {"TwelveAmIsMidnight", at(kMonday, 0, 2), "12", ":00", "AM", kEveryDay, P::Quiet, "", true, true, kSec, 0,
           true},
        P {"TwelveAmIsNotNoon", at(kMonday, 11, 0), "12", ":00", "AM", kEveryDay, P::Ok, "This is a previous time!!...",
           false, false, kMin, 7, false},
        P {"OnePm", at(kMonday, 12, 0), "1", ":05", "PM", kEveryDay, P::Ok, "", false, true, kMin, 65, true},
        P {"SundayOnSunday", at(kSunday, 9, 0), "10", ":00", "AM", kSundayOnly, P::Ok, "", false, true, kMin, 60, true},
        P {"FridayOnFriday", at(kFriday, 9, 0), "10", ":00", "AM", kFridayOnly, P::Ok, "", false, true, kMin, 60, true},
        P {"FridayOnFridayQuiet", at(kFriday, 10, 2), "10", ":00", "AM", kFridayOnly, P::Quiet, "", true, true, kSec, 0,
           true},
        // Not today's weekday: wake again just after midnight, without a message.
        P {"SundayOnMonday", at(kMonday, 10, 0, 30), "10", ":00", "AM", kSundayOnly, P::Ok, "", false, true, kMin, 840,
           true},
        P {"SundayOnMondayQuiet", at(kMonday, 23, 59, 30), "10", ":00", "AM", kSundayOnly, P::Quiet, "", false, true,
           kMin, 1, true}),
    CaseName());

TEST_F(ScheduleStateTest, NoScheduleStoresAndStopsTheTimerWithoutAsking)
{
    setTime("13", ":00", "AM"); // would be an incorrect time
    state->setNoSchedule(true);
    timer.setEnabled(true);
    now = at(kMonday, 11, 0);
    EXPECT_FALSE(state->InitTimer(false));
    state->showDialog();
    state->OK();
    EXPECT_TRUE(home.prompter.shown.isEmpty());
    EXPECT_FALSE(timer.Enabled()) << "nothing is waited for";
    EXPECT_EQ(stored("NoSchedule"), QStringLiteral("1"));
    EXPECT_FALSE(state->loaded());
}

TEST_F(ScheduleStateTest, OkStoresTheSixteenValuesInOrder)
{
    setTime("11", ":30", "PM");
    state->chooseSelectedDays();
    state->setDay(6, true); // Saturday
    state->setDay(5, true); // Friday
    state->chooseExistingFiles(Schedule::Resume);
    now = at(kFriday, 9, 0);
    state->OK();
    const QStringList expected = {QStringLiteral("\"NoSchedule\"=\"0\""),  QStringLiteral("\"SchHour\"=\"11\""),
                                  QStringLiteral("\"SchMinute\"=\":30\""), QStringLiteral("\"SchType\"=\"PM\""),
                                  QStringLiteral("\"Today\"=\"False\""),   QStringLiteral("\"SelectDay\"=\"True\""),
                                  QStringLiteral("\"Sat\"=\"1\""),         QStringLiteral("\"Sun\"=\"0\""),
                                  QStringLiteral("\"Mon\"=\"0\""),         QStringLiteral("\"Tue\"=\"0\""),
                                  QStringLiteral("\"Wed\"=\"0\""),         QStringLiteral("\"Thr\"=\"0\""),
                                  QStringLiteral("\"fri\"=\"1\""),         QStringLiteral("\"OverWrite\"=\"False\""),
                                  QStringLiteral("\"Resume\"=\"True\""),   QStringLiteral("\"Skip\"=\"False\"")};
    const QString hive = QString::fromUtf8(home.readFile(QStringLiteral("registry/HKEY_LOCAL_MACHINE.reg")));
    qsizetype last = -1;
    for (const QString& line : expected) {
        const qsizetype at_ = hive.indexOf(line);
        EXPECT_GT(at_, last) << line.toStdString() << "\n" << hive.toStdString();
        last = at_;
    }

    // The next start reads them back.
    ExtraTimer otherTimer;
    ScheduleState again(*context, otherTimer, [this] { return now; });
    again.load();
    EXPECT_EQ(again.schedule().existingFiles, Schedule::Resume);
    EXPECT_TRUE(again.Today(6));
    EXPECT_TRUE(again.Today(5));
    EXPECT_FALSE(again.Today(0));
    EXPECT_EQ(again.cmbHour, QStringLiteral("11"));
}

TEST_F(ScheduleStateTest, CancelStoresNothing)
{
    setTime("10", ":00", "AM");
    QSignalSpy closed(state.get(), &ScheduleState::closed);
    state->Cancel();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(state->loaded());
    EXPECT_FALSE(stored("SchHour").has_value());
    EXPECT_FALSE(timer.Enabled());
}

TEST_F(ScheduleStateTest, TheLastCheckedExistingFileOptionIsTheChoice)
{
    state->load();
    const std::pair<Schedule::ExistingFiles, FileExistsChoice> choices[] = {
        {Schedule::Skip, FileExistsChoice::Keep},
        {Schedule::Resume, FileExistsChoice::Resume},
        {Schedule::Overwrite, FileExistsChoice::Overwrite},
        {Schedule::Skip, FileExistsChoice::Keep},
    };
    for (const auto& [choice, forFiles] : choices) {
        state->chooseExistingFiles(choice);
        state->Save();
        EXPECT_EQ(state->schedule().existingFiles, choice);
        EXPECT_EQ(state->schedule().existingFileChoice(), forFiles) << "what a scheduled run does with the file";
        EXPECT_EQ(state->optOver + state->optRes + state->optSkip, 1);
    }
}

// The timer checks the schedule every second in its last hour: while the
// user has the dialog open, a check goes by the schedule as stored and
// leaves the dialog, its unconfirmed choices and its messages alone.
TEST_F(ScheduleStateTest, ACheckWhileTheDialogIsOpenLeavesItAlone)
{
    store("NoSchedule", "0");
    store("SchHour", "10");
    now = at(kMonday, 10, 1);
    state->showDialog();
    state->chooseHour(QStringLiteral("13"));
    state->cmbType = QStringLiteral("AM");
    QSignalSpy closed(state.get(), &ScheduleState::closed);

    EXPECT_TRUE(state->InitTimer(false)) << "the stored 10:00 is due";
    EXPECT_TRUE(state->loaded());
    EXPECT_TRUE(state->visible);
    EXPECT_EQ(closed.count(), 0);
    EXPECT_EQ(state->cmbHour, QStringLiteral("13")) << "the user's choice stays";
    EXPECT_FALSE(stored("SchType").has_value()) << "nothing unconfirmed is stored";

    state->OK();
    ASSERT_EQ(home.prompter.shown.size(), 1) << "the user's OK still speaks";
    EXPECT_EQ(home.prompter.shown[0].text, QStringLiteral("Incorrect Time!!..."));
}

} // namespace
