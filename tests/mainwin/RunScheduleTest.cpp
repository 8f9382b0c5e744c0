#include "intake/IntakeSession.h"
#include "mainwin/MainWindowState.h"

#include "engine/DownloadJob.h"
#include "engine/DownloadWindows.h"
#include "schedule/ScheduleState.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"

#include "TestToday.h"
#include "support/CaseName.h"
#include "support/NginxServer.h"
#include "support/PeerRequirement.h"
#include "support/TestHome.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

constexpr qsizetype kSize = 700 * 1024 + 17;
constexpr qsizetype kPart = kSize * 45 / 100;

QByteArray sha256(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

// The main window's state with a schedule set for 10:00 and a clock the test
// sets, over a Downloads list of three unfinished-looking rows of one file
// that nginx serves: one new ("0 %"), one done ("100%"), one at 45 %.
class RunScheduleTest : public testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(home.path(QStringLiteral("www")));
        content.resize(kSize);
        QRandomGenerator(16).fillRange(reinterpret_cast<quint32*>(content.data()), kSize / 4);
        home.writeFile(QStringLiteral("www/file.bin"), content);
        for (const QString& folder : {QString(), QStringLiteral("www")})
            QFile::setPermissions(home.path(folder),
                                  QFile::permissions(home.path(folder)) | QFileDevice::ExeOther
                                      | QFileDevice::ReadOther);
        QFile::setPermissions(home.path(QStringLiteral("www/file.bin")),
                              QFileDevice::ReadOwner | QFileDevice::ReadOther);

        context = &home.newContext();
        LoadSettings(*context, LoadReason::Startup);
        windows = std::make_unique<DownloadWindows>(*context, views.lstMain);
        windows->askFileExists = [this](const QString& path) {
            questions.append(path);
            return FileExistsChoice::Keep;
        };
        state = std::make_unique<MainWindowState>(*context, intake, *windows, views, [] { return kToday; });
        schedule = std::make_unique<ScheduleState>(*context, state->ExtraTimer1, [this] { return now; });
        state->attachSchedule(*schedule);
    }

    // The rows, and on disk what each row's download left there.
    void listRows()
    {
        const QString url = nginx.url(QStringLiteral("/file.bin")).toString();
        const auto row = [&](const QString& name, const QString& percent) {
            views.lstMain.addRow({home.path(name), percent, QStringLiteral("700 KB"), QStringLiteral("N/A"),
                                  QStringLiteral("Paused/Stopped"), url});
        };
        row(QStringLiteral("new.bin"), QStringLiteral("0 %"));
        row(QStringLiteral("done.bin"), QStringLiteral("100%"));
        row(QStringLiteral("half.bin"), QStringLiteral("45%"));
        home.writeFile(QStringLiteral("new.bin"), "not touched");
        home.writeFile(QStringLiteral("done.bin"), content);
    }
    // Sets the schedule as the user would in the dialog at 8:00:00.5: 10:00 AM today.
    void setSchedule(Schedule::ExistingFiles choice)
    {
        now = QDateTime(kToday, QTime(8, 0, 0, 500));
        schedule->showDialog();
        schedule->setNoSchedule(false);
        schedule->chooseHour(QStringLiteral("10"));
        schedule->cmbMinute = QStringLiteral(":00");
        schedule->cmbType = QStringLiteral("AM");
        schedule->chooseExistingFiles(choice);
        schedule->OK();
    }
    // Lets the timer tick as time goes by, one second a tick.
    void tick(int seconds)
    {
        for (int i = 0; i < seconds; ++i) {
            now = now.addSecs(1);
            state->ExtraTimer1.Timer1_Timer();
        }
    }
    QList<AccessLogEntry> gets() const
    {
        QList<AccessLogEntry> found;
        for (const AccessLogEntry& entry : nginx.accessLog()) {
            if (entry.method() == QStringLiteral("GET"))
                found.append(entry);
        }
        return found;
    }
    bool waitForRow(int number, const QString& percent) const
    {
        const QDeadlineTimer deadline(30000);
        while (views.lstMain.row(number)->subItem(2) != percent && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return views.lstMain.row(number)->subItem(2) == percent;
    }

    TestHome home;
    NginxServer nginx {home.path(QStringLiteral("www"))};
    QByteArray content;
    KevaContext* context = nullptr;
    IntakeSession intake;
    JobViews views;
    std::unique_ptr<DownloadWindows> windows;
    std::unique_ptr<MainWindowState> state;
    std::unique_ptr<ScheduleState> schedule;
    QDateTime now {kToday, QTime(8, 0)};
    QStringList questions;
};

// Each choice for existing files, applied without a question to the one row
// that is neither new nor done.
struct ChoiceCase {
    const char* name;
    Schedule::ExistingFiles choice;
    bool prefixOnDisk; // the 45 % row left the file's first bytes; else other bytes
    bool downloads;
    bool resumes; // the GET goes on from the bytes on disk
};

class RunScheduleChoice : public RunScheduleTest, public testing::WithParamInterface<ChoiceCase> { };

TEST_P(RunScheduleChoice, RestartsOnlyTheUnfinishedRowAsChosen)
{
    const ChoiceCase& c = GetParam();
    KEVA_REQUIRE_PEER(nginx);
    listRows();
    const QByteArray before = c.prefixOnDisk ? content.left(kPart) : QByteArray(kPart, 'x');
    home.writeFile(QStringLiteral("half.bin"), before);
    setSchedule(c.choice);
    ASSERT_TRUE(state->ExtraTimer1.Enabled());
    ASSERT_EQ(state->ExtraTimer1.IntervalUnit(), ExtraTimer::Minutes);
    ASSERT_EQ(state->ExtraTimer1.Interval(), 119);

    // Two hours of ticks: 119 minutes, 58 seconds to align on the minute, then
    // a pass a second until one finds the time come, at 10:00:00.5.
    tick(120 * 60 - 1);
    EXPECT_EQ(windows->slot(2), nullptr) << "not yet";
    tick(1);
    EXPECT_FALSE(state->ExtraTimer1.Enabled()) << "the timer rests after the run";
    EXPECT_FALSE(windows->scheduleRun) << "the flag brackets the run only";
    EXPECT_TRUE(questions.isEmpty()) << "no file-exists question during a run";
    EXPECT_TRUE(home.prompter.shown.isEmpty());
    EXPECT_EQ(windows->slot(0), nullptr) << "the new row stays";
    EXPECT_EQ(windows->slot(1), nullptr) << "the done row stays";

    if (c.downloads) {
        ASSERT_TRUE(waitForRow(3, QStringLiteral("100%"))) << views.lstMain.row(3)->subItem(5).toStdString();
        EXPECT_EQ(sha256(home.readFile(QStringLiteral("half.bin"))), sha256(content));
        const QList<AccessLogEntry> requests = gets();
        ASSERT_FALSE(requests.isEmpty());
        const bool fromStart = std::any_of(requests.cbegin(), requests.cend(), [](const AccessLogEntry& entry) {
            return entry.range.isEmpty() || entry.range.startsWith(QStringLiteral("bytes=0-"));
        });
        EXPECT_EQ(fromStart, !c.resumes) << requests.front().range.toStdString();
    } else {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 300);
        EXPECT_EQ(home.readFile(QStringLiteral("half.bin")), before) << "skipped: left as it was";
        EXPECT_TRUE(gets().isEmpty());
    }
    EXPECT_EQ(home.readFile(QStringLiteral("new.bin")), QByteArray("not touched"));
    EXPECT_EQ(sha256(home.readFile(QStringLiteral("done.bin"))), sha256(content));
}

INSTANTIATE_TEST_SUITE_P(Choices, RunScheduleChoice,
                         testing::Values(ChoiceCase {"Overwrite", Schedule::Overwrite, false, true, false},
                                         ChoiceCase {"Resume", Schedule::Resume, true, true, true},
                                         ChoiceCase {"Skip", Schedule::Skip, true, false, false}),
                         CaseName());

// The machine sleeps through the set time and wakes a minute after it: the
// first tick finds the clock moved, and the schedule runs at once.
TEST_F(RunScheduleTest, RunsAfterSleepingThroughTheSetTime)
{
    KEVA_REQUIRE_PEER(nginx);
    listRows();
    setSchedule(Schedule::Overwrite);
    tick(30);
    now = QDateTime(kToday, QTime(10, 1));
    state->ExtraTimer1.Timer1_Timer();
    ASSERT_TRUE(waitForRow(3, QStringLiteral("100%"))) << views.lstMain.row(3)->subItem(5).toStdString();
    EXPECT_EQ(sha256(home.readFile(QStringLiteral("half.bin"))), sha256(content));
    EXPECT_FALSE(state->ExtraTimer1.Enabled());
}

// Only new ("0 %", a blocked server) and done rows stay, and a row whose
// download never learnt where it saves ("N/A"): a queued "0%" row starts.
TEST_F(RunScheduleTest, LeavesRowsWithoutATargetAlone)
{
    const QString url = QStringLiteral("http://127.0.0.1:9/f.bin");
    views.lstMain.addRow({QStringLiteral("N/A"), QStringLiteral("30%"), {}, {}, {}, url});
    views.lstMain.addRow({home.path(QStringLiteral("queued.bin")), QStringLiteral("0%"), {}, {}, {}, url});
    state->RunSchedule();
    EXPECT_EQ(windows->slot(0), nullptr);
    ASSERT_NE(windows->slot(1), nullptr);
    EXPECT_EQ(windows->slot(1)->savePath(), home.path(QStringLiteral("queued.bin")));
    EXPECT_FALSE(QFile::exists(QStringLiteral("N/A")));
}

TEST_F(RunScheduleTest, StartUpLoadsTheScheduleAndProgramsTheTimer)
{
    context->registry.writeValue(RegistryRoot::HKEY_LOCAL_MACHINE,
                                 QStringLiteral("Software\\Quillspan Software\\KEVA 1.0"), QStringLiteral("NoSchedule"),
                                 QStringLiteral("0"));
    context->registry.writeValue(RegistryRoot::HKEY_LOCAL_MACHINE,
                                 QStringLiteral("Software\\Quillspan Software\\KEVA 1.0"), QStringLiteral("SchHour"),
                                 QStringLiteral("9"));
    now = QDateTime(kToday, QTime(8, 59, 30));
    state->Load();
    const QStringList steps = state->startupSteps();
    EXPECT_EQ(steps.indexOf(QStringLiteral("schedule")), steps.indexOf(QStringLiteral("settings")) + 1);
    EXPECT_EQ(steps.back(), QStringLiteral("schedule timer"));
    EXPECT_TRUE(state->ExtraTimer1.Enabled());
    EXPECT_EQ(state->ExtraTimer1.IntervalUnit(), ExtraTimer::Seconds);
    EXPECT_EQ(state->ExtraTimer1.Interval(), 29);
    EXPECT_FALSE(schedule->loaded()) << "the pass unloaded the dialog";
}

} // namespace
