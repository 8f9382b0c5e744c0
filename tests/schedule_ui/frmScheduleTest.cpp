#include "schedule/ui/frmSchedule.h"

#include "support/CaptionHelpers.h"
#include "platform/Registry.h"
#include "schedule/ExtraTimer.h"
#include "schedule/ScheduleState.h"
#include "settings/KevaContext.h"
#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString kKey = QStringLiteral("Software\\Quillspan Software\\KEVA 1.0");

class frmScheduleTest : public testing::Test {
protected:
    void SetUp() override { makeState(); }
    void TearDown() override { delete window.data(); }

    void makeState()
    {
        context = &home.newContext();
        state = std::make_unique<ScheduleState>(*context, timer, [this] { return now; });
    }
    void store(const char* name, const char* value)
    {
        context->registry.writeValue(RegistryRoot::HKEY_LOCAL_MACHINE, kKey, QString::fromLatin1(name),
                                     QString::fromLatin1(value));
    }
    void open() { window = frmSchedule::showFor(*context, *state, nullptr); }
    template <typename Widget> Widget* control(const char* name) const { return NamedChild<Widget>(*window, name); }
    // Picks an entry of a list as the user does.
    void pick(const char* list, const QString& entry) const
    {
        QComboBox* box = control<QComboBox>(list);
        const int index = box->findText(entry);
        ASSERT_GE(index, 0) << entry.toStdString();
        box->setCurrentIndex(index);
        emit box->textActivated(entry);
    }
    static void runDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    TestHome home;
    KevaContext* context = nullptr;
    ExtraTimer timer;
    QDateTime now {QDate(2026, 12, 7), QTime(9, 0)};
    std::unique_ptr<ScheduleState> state;
    QPointer<frmSchedule> window;
};

TEST_F(frmScheduleTest, ShowsEveryCaptionByItsKey)
{
    QStringList keys;
    for (int key = 13000; key <= 13018; ++key)
        keys << QStringLiteral("%1").arg(key, 5, 10, QLatin1Char('0'));
    keys << QStringLiteral("02006") << QStringLiteral("05004");
    WriteNumberedLanguageFile(home, keys);
    makeState();
    open();
    const std::pair<const char*, const char*> expected[] = {
        {"", "T13000"},          {"chkNoSch", "T13002"}, {"Frame1", "T13004"},    {"optToday", "T13005"},
        {"optSelDay", "T13006"}, {"chkSat", "T13007"},   {"chkSun", "T13008"},    {"chkMon", "T13009"},
        {"chkTue", "T13010"},    {"chkWed", "T13011"},   {"chkThr", "T13012"},    {"chkFri", "T13013"},
        {"Frame2", "T13014"},    {"optOver", "T13015"},  {"optRes", "T13016"},    {"optSkip", "T13017"},
        {"Label1", "T13018"},    {"cmdOK", "T02006"},    {"cmdCancel", "T05004"}, {"asxPowerBanner1", "T13001"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(ShownCaption(*window, QString::fromLatin1(name)), QString::fromLatin1(text)) << name;
}

TEST_F(frmScheduleTest, ShowsTheShippedEnglishTexts)
{
    InstallShippedLanguageFile(home);
    makeState();
    open();
    EXPECT_EQ(ShownCaption(*window, QString()), QStringLiteral("Schedule Downloads"));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("chkNoSch")), QStringLiteral("Do not schdeule Downloads"));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("optSelDay")),
              QStringLiteral("Download at this time in selected days:"));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("Label1")),
              QStringLiteral("The program will start downloading leftover files in the Downloads list at this time"));
    EXPECT_EQ(window->layoutDirection(), Qt::LeftToRight);
}

TEST_F(frmScheduleTest, ArabicLaysTheDialogOutRightToLeft)
{
    context->text.setLanguageFile(QStringLiteral("Arabic.ini"));
    open();
    EXPECT_EQ(window->layoutDirection(), Qt::RightToLeft);
}

TEST_F(frmScheduleTest, ShowsTheStoredSchedule)
{
    store("NoSchedule", "0");
    store("SchHour", "11");
    store("SchMinute", ":45");
    store("SchType", "PM");
    store("SelectDay", "True");
    store("Today", "False");
    store("Sun", "1");
    store("fri", "1");
    store("Resume", "True");
    store("OverWrite", "False");
    open();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowModality(), Qt::WindowModal);
    EXPECT_FALSE(control<QCheckBox>("chkNoSch")->isChecked());
    EXPECT_EQ(control<QComboBox>("cmbHour")->currentText(), QStringLiteral("11"));
    EXPECT_EQ(control<QComboBox>("cmbMinute")->currentText(), QStringLiteral(":45"));
    EXPECT_EQ(control<QComboBox>("cmbType")->currentText(), QStringLiteral("PM"));
    EXPECT_TRUE(control<QRadioButton>("optSelDay")->isChecked());
    EXPECT_FALSE(control<QRadioButton>("optToday")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("chkSun")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("chkFri")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("chkSat")->isChecked());
    EXPECT_TRUE(control<QRadioButton>("optRes")->isChecked());
    EXPECT_FALSE(control<QRadioButton>("optOver")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("chkMon")->isEnabled());
    EXPECT_EQ(control<QComboBox>("cmbHour")->count(), 24);
    EXPECT_EQ(control<QComboBox>("cmbMinute")->count(), 12);
}

// Clicks that switch the controls on and off.
struct EnablingCase {
    const char* name;
    std::function<void(frmSchedule&)> clicks;
    bool timeEnabled;
    bool daysEnabled;
};

class frmScheduleEnabling : public frmScheduleTest, public testing::WithParamInterface<EnablingCase> { };

TEST_P(frmScheduleEnabling, FollowsTheClicks)
{
    open();
    GetParam().clicks(*window);
    for (const char* name : {"cmbHour", "cmbMinute", "cmbType", "optToday", "optSelDay"})
        EXPECT_EQ(control<QWidget>(name)->isEnabled(), GetParam().timeEnabled) << name;
    for (const char* name : {"chkSat", "chkSun", "chkMon", "chkTue", "chkWed", "chkThr", "chkFri"})
        EXPECT_EQ(control<QWidget>(name)->isEnabled(), GetParam().daysEnabled) << name;
}

void click(frmSchedule& window, const char* name)
{
    window.findChild<QAbstractButton*>(QString::fromLatin1(name))->click();
}

INSTANTIATE_TEST_SUITE_P(Cases, frmScheduleEnabling,
                         testing::Values(EnablingCase {"AsLoaded", [](frmSchedule&) {}, false, false},
                                         EnablingCase {"Switched", [](frmSchedule& w) { click(w, "chkNoSch"); }, true,
                                                       false},
                                         EnablingCase {"SelectedDays",
                                                       [](frmSchedule& w) {
                                                           click(w, "chkNoSch");
                                                           click(w, "optSelDay");
                                                       },
                                                       true, true},
                                         EnablingCase {"BackToToday",
                                                       [](frmSchedule& w) {
                                                           click(w, "chkNoSch");
                                                           click(w, "optSelDay");
                                                           click(w, "optToday");
                                                       },
                                                       true, false},
                                         EnablingCase {"SwitchedOffAgain",
                                                       [](frmSchedule& w) {
                                                           click(w, "chkNoSch");
                                                           click(w, "optSelDay");
                                                           click(w, "chkNoSch");
                                                       },
                                                       false, false}),
                         CaseName());

TEST_F(frmScheduleTest, AnHourAbove12ShowsTheTwentyFourHourClock)
{
    open();
    click(*window, "chkNoSch");
    pick("cmbType", QStringLiteral("PM"));
    pick("cmbHour", QStringLiteral("15"));
    EXPECT_EQ(control<QComboBox>("cmbType")->currentText(), QStringLiteral("24HR"));
    EXPECT_EQ(state->cmbHour, QStringLiteral("15"));
}

// OK on a time the pass refuses keeps the dialog open with the user's
// choices; on one it takes, the dialog stores them and goes.
struct OkCase {
    const char* name;
    const char* hour;
    const char* type;
    const char* message;
    bool stays;
};

class frmScheduleOk : public frmScheduleTest, public testing::WithParamInterface<OkCase> { };

TEST_P(frmScheduleOk, RunsTheTimingPass)
{
    const OkCase& c = GetParam();
    open();
    click(*window, "chkNoSch");
    pick("cmbHour", QString::fromLatin1(c.hour));
    pick("cmbType", QString::fromLatin1(c.type));
    pick("cmbMinute", QStringLiteral(":30"));
    click(*window, "optSkip");
    control<QPushButton>("cmdOK")->click();
    runDeferredDeletes();

    if (*c.message) {
        ASSERT_EQ(home.prompter.shown.size(), 1);
        EXPECT_EQ(home.prompter.shown[0].text, QString::fromLatin1(c.message));
    } else {
        EXPECT_TRUE(home.prompter.shown.isEmpty());
    }
    EXPECT_EQ(!window.isNull() && window->isVisible(), c.stays);
    const auto stored = context->registry.readValue(RegistryRoot::HKEY_LOCAL_MACHINE, kKey, QStringLiteral("SchHour"));
    if (c.stays) {
        EXPECT_FALSE(stored.has_value());
        EXPECT_EQ(control<QComboBox>("cmbHour")->currentText(), QString::fromLatin1(c.hour)) << "the choice is kept";
    } else {
        EXPECT_EQ(stored, QString::fromLatin1(c.hour));
        EXPECT_EQ(state->schedule().existingFiles, Schedule::Skip);
        EXPECT_TRUE(timer.Enabled());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, frmScheduleOk,
                         testing::Values(OkCase {"Ahead", "11", "PM", "", false},
                                         OkCase {"Incorrect", "13", "AM", "Incorrect Time!!...", true},
                                         OkCase {"Previous", "8", "AM", "This is a previous time!!...", true}),
                         CaseName());

struct CancelCase {
    const char* name;
    std::function<void(frmSchedule&)> cancel;
};

class frmScheduleCancel : public frmScheduleTest, public testing::WithParamInterface<CancelCase> { };

TEST_P(frmScheduleCancel, ClosesWithoutStoring)
{
    open();
    click(*window, "chkNoSch");
    GetParam().cancel(*window);
    runDeferredDeletes();
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(state->loaded());
    EXPECT_FALSE(
        context->registry.readValue(RegistryRoot::HKEY_LOCAL_MACHINE, kKey, QStringLiteral("NoSchedule")).has_value());

    open();
    EXPECT_TRUE(control<QCheckBox>("chkNoSch")->isChecked()) << "opened again from the stored values";
}

INSTANTIATE_TEST_SUITE_P(Ways, frmScheduleCancel,
                         testing::Values(CancelCase {"cmdCancel", [](frmSchedule& w) { click(w, "cmdCancel"); }},
                                         CancelCase {"Escape",
                                                     [](frmSchedule& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
                                         CancelCase {"CloseButton", [](frmSchedule& w) { w.close(); }}),
                         CaseName());

class frmScheduleLanguages : public frmScheduleTest, public testing::WithParamInterface<const char*> { };

TEST_P(frmScheduleLanguages, ShowTheShippedTexts)
{
    UseShippedLanguage(home, *context, GetParam());
    open();
    ExpectShippedLanguageTexts(*window, GetParam(),
                               {{"", "13000"},
                                {"asxPowerBanner1", "13001"},
                                {"chkNoSch", "13002"},
                                {"Frame1", "13004"},
                                {"optToday", "13005"},
                                {"optSelDay", "13006"},
                                {"chkSat", "13007"},
                                {"chkFri", "13013"},
                                {"Frame2", "13014"},
                                {"optOver", "13015"},
                                {"optRes", "13016"},
                                {"optSkip", "13017"},
                                {"Label1", "13018"},
                                {"cmdOK", "02006"},
                                {"cmdCancel", "05004"}});
}

INSTANTIATE_TEST_SUITE_P(Shipped, frmScheduleLanguages, testing::ValuesIn(kShippedLanguages), ShippedLanguageName());

} // namespace
