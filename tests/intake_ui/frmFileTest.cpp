#include "intake/ui/frmFile.h"

#include "engine/DownloadWindows.h"
#include "engine/JobList.h"
#include "intake/SavePromptState.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "support/CaptionHelpers.h"
#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

const QString kUrl = QStringLiteral("http://127.0.0.1:9/f.zip");

// A save prompt whose save-as questions are answered from a list.
class frmFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        context = &home.newContext();
        LoadSettings(*context, LoadReason::Startup);
        windows = std::make_unique<DownloadWindows>(*context, lstMain);
        state = std::make_unique<SavePromptState>(*context, *windows);
        state->askSavePath = [this](const QString& caption, const QString& proposed) {
            questions.append(caption + QLatin1Char('|') + proposed);
            return answers.isEmpty() ? std::nullopt : answers.takeFirst();
        };
        state->showJobList = [this] { ++jobListShown; };
    }
    void TearDown() override { delete window.data(); }

    void open()
    {
        state->PromptURL = kUrl;
        window = frmFile::showFor(context->text, *state, nullptr);
    }
    QString path(const char* name) const { return home.path(QString::fromLatin1(name)); }
    QString field(const char* name) const { return window->findChild<QLineEdit*>(QString::fromLatin1(name))->text(); }
    void click(const char* name) const { window->findChild<QPushButton*>(QString::fromLatin1(name))->click(); }
    static void runDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    TestHome home;
    KevaContext* context = nullptr;
    JobList lstMain;
    std::unique_ptr<DownloadWindows> windows;
    std::unique_ptr<SavePromptState> state;
    QPointer<frmFile> window;
    QList<std::optional<QString>> answers;
    QStringList questions;
    int jobListShown = 0;
};

TEST_F(frmFileTest, AsksAtOnceThenShowsTheUrlAndTheChosenPath)
{
    context->dialogSettings.lastSavePath = path("saved/last.bin");
    answers = {path("f.zip")};
    open();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowModality(), Qt::NonModal);
    EXPECT_EQ(questions, QStringList {QStringLiteral("KEVA 3.0 [Save file to?]|") + path("saved/f.zip")});
    EXPECT_EQ(field("txtURL"), kUrl);
    EXPECT_EQ(field("txtSaveTo"), path("f.zip"));
    EXPECT_TRUE(window->findChild<QLineEdit*>(QStringLiteral("txtURL"))->isReadOnly());
    EXPECT_TRUE(window->findChild<QLineEdit*>(QStringLiteral("txtSaveTo"))->isReadOnly());
}

TEST_F(frmFileTest, ChangeShowsTheNewPath)
{
    answers = {path("f.zip"), path("other/g.zip")};
    open();
    click("Command4");
    EXPECT_EQ(questions.value(1), QStringLiteral("Save file to...|") + path("f.zip"));
    EXPECT_EQ(field("txtSaveTo"), path("other/g.zip"));
    EXPECT_TRUE(window->isVisible());
}

TEST_F(frmFileTest, ShowsTheCaptionsOfTheState)
{
    InstallShippedLanguageFile(home);
    open();
    const std::pair<const char*, const char*> captions[] = {
        {"", "Download File"},           {"asxPowerBanner1", "Save file to?"},
        {"Frame1", "File Info"},         {"Label1", "URL:"},
        {"Label2", "Save As:"},          {"Command4", "C&hange"},
        {"Command1", "&Begin Download"}, {"Command2", "&Download Later"},
        {"Command3", "&Cancel"},
    };
    for (const auto& [control, text] : captions)
        EXPECT_EQ(ShownCaption(*window, QString::fromLatin1(control)), QString::fromUtf8(text)) << control;
}

// A button pressed with or without a save path.
struct FileButtonCase {
    const char* name;
    bool pathChosen;    // the first save-as question was answered
    const char* button; // empty: Escape
    bool started;       // a job runs for the row
    bool listed;        // a row was added
    bool closes;
};

class frmFileButtons : public frmFileTest, public testing::WithParamInterface<FileButtonCase> { };

TEST_P(frmFileButtons, CallTheState)
{
    const FileButtonCase& c = GetParam();
    if (c.pathChosen)
        answers = {path("f.zip")};
    open();
    if (*c.button)
        click(c.button);
    else
        QTest::keyClick(window, Qt::Key_Escape);
    runDeferredDeletes();

    EXPECT_EQ(lstMain.rowCount(), c.listed ? 1 : 0);
    const DownloadJob* job = windows->slot(0);
    EXPECT_EQ(job != nullptr, c.started);
    if (job) {
        EXPECT_EQ(job->url(), kUrl);
        EXPECT_EQ(job->savePath(), path("f.zip"));
        EXPECT_EQ(jobListShown, 1) << "the current jobs are shown";
    }
    if (c.listed && !c.started) {
        EXPECT_EQ(lstMain.row(1)->subItem(1), path("f.zip"));
        EXPECT_EQ(lstMain.row(1)->subItem(6), kUrl);
    }
    EXPECT_EQ(window.isNull(), c.closes);
}

INSTANTIATE_TEST_SUITE_P(Cases, frmFileButtons,
                         testing::Values(FileButtonCase {"BeginDownload", true, "Command1", true, true, true},
                                         FileButtonCase {"DownloadLater", true, "Command2", false, true, true},
                                         FileButtonCase {"Cancel", true, "Command3", false, false, true},
                                         FileButtonCase {"Escape", true, "", false, false, true},
                                         FileButtonCase {"BeginWithoutPath", false, "Command1", false, false, false},
                                         FileButtonCase {"LaterWithoutPath", false, "Command2", false, false, false},
                                         FileButtonCase {"CancelWithoutPath", false, "Command3", false, false, true}),
                         CaseName());

class frmFileLanguages : public frmFileTest, public testing::WithParamInterface<const char*> { };

TEST_P(frmFileLanguages, ShowTheShippedTexts)
{
    UseShippedLanguage(home, *context, GetParam());
    open();
    ExpectShippedLanguageTexts(*window, GetParam(),
                               {{"", "06000"},
                                {"asxPowerBanner1", "06001"},
                                {"Frame1", "04001"},
                                {"Label1", "06002"},
                                {"Label2", "06003"},
                                {"Command4", "06004"},
                                {"Command1", "06006"},
                                {"Command2", "06005"},
                                {"Command3", "05004"}});
}

INSTANTIATE_TEST_SUITE_P(Shipped, frmFileLanguages, testing::ValuesIn(kShippedLanguages), ShippedLanguageName());

} // namespace
