#include "intake/IntakeSession.h"
#include "intake/ui/frmURL.h"

#include "engine/DownloadWindows.h"
#include "engine/JobList.h"
#include "intake/AddUrlState.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "support/CaptionHelpers.h"
#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// An add-URL state over empty job lists, as the program makes it.
class frmURLTest : public testing::Test {
protected:
    void SetUp() override
    {
        context = &home.newContext();
        LoadSettings(*context, LoadReason::Startup);
        windows = std::make_unique<DownloadWindows>(*context, lstMain);
        state = std::make_unique<AddUrlState>(*context, intake, *windows, lstMain, lstAll,
                                              [] { return QDate(2026, 12, 6); });
        state->showSavePrompt = [this](const QString& url, const JobList::Row&, const BrowserSession&) {
            prompts.append(url);
        };
    }
    void TearDown() override { delete window.data(); }

    void open() { window = frmURL::showFor(context->text, *state, nullptr, Qt::WindowModal); }
    template <typename Widget> Widget* control(const char* name) const { return NamedChild<Widget>(*window, name); }
    QComboBox* txtURL() const { return control<QComboBox>("txtURL"); }
    static void runDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    TestHome home;
    KevaContext* context = nullptr;
    IntakeSession intake;
    JobList lstMain;
    JobList lstAll;
    std::unique_ptr<DownloadWindows> windows;
    std::unique_ptr<AddUrlState> state;
    QPointer<frmURL> window;
    QStringList prompts;
};

TEST_F(frmURLTest, ShowsTheHistoryAndTheUrlOnTheClipboard)
{
    lstMain.addRow({QStringLiteral("/d/a.zip"), QStringLiteral("0%"), {}, {}, {}, QStringLiteral("http://h/a.zip")});
    lstAll.addRow({QStringLiteral("/d/b.zip"), QStringLiteral("100%"), {}, {}, {}, QStringLiteral("ftp://h/b.zip")});
    context->appSettings.ClipboardMonitoring = true;
    QGuiApplication::clipboard()->setText(QStringLiteral("  http://h/c.zip \n"));
    open();

    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_NE(window->windowModality(), Qt::NonModal);
    QStringList items;
    for (int item = 0; item < txtURL()->count(); ++item)
        items << txtURL()->itemText(item);
    EXPECT_EQ(items, (QStringList {QStringLiteral("http://h/a.zip"), QStringLiteral("ftp://h/b.zip")}));
    EXPECT_EQ(txtURL()->currentText(), QStringLiteral("http://h/c.zip"));
    EXPECT_EQ(txtURL()->lineEdit()->selectedText(), QStringLiteral("http://h/c.zip")) << "selected whole";
    EXPECT_EQ(state->txtURL, QStringLiteral("http://h/c.zip"));

    txtURL()->setCurrentIndex(1);
    EXPECT_EQ(state->txtURL, QStringLiteral("ftp://h/b.zip")) << "a URL picked from the history goes to the state";
}

TEST_F(frmURLTest, LeavesTheClipboardAloneWhenNotMonitoring)
{
    context->appSettings.ClipboardMonitoring = false;
    QGuiApplication::clipboard()->setText(QStringLiteral("http://h/c.zip"));
    open();
    EXPECT_TRUE(txtURL()->currentText().isEmpty());
}

TEST_F(frmURLTest, ShowsTheCaptionsOfTheState)
{
    InstallShippedLanguageFile(home);
    open();
    EXPECT_EQ(ShownCaption(*window, QString()), QStringLiteral("Add URL"));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("asxPowerBanner1")), QStringLiteral("Add URL"));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("Label1")),
              QStringLiteral("Enter the URL of the file to download:"));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("Label2")), QStringLiteral("Checksum (optional):"));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("Command1")), QStringLiteral("OK"));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("Command2")), QStringLiteral("&Cancel"));
    EXPECT_EQ(window->layoutDirection(), Qt::LeftToRight);
}

TEST_F(frmURLTest, ArabicLaysTheDialogOutRightToLeft)
{
    context->text.setLanguageFile(QStringLiteral("Arabic.ini"));
    open();
    EXPECT_EQ(window->layoutDirection(), Qt::RightToLeft);
}

// A URL typed into the box and confirmed with Enter or OK.
const char* const kNotMonitored = "The file type \".txt\" is not monitored, so http://h/notes.txt was not added.\n\n"
                                  "The monitored file types are listed in Settings \u203A Monitoring.\n\n"
                                  "Download it anyway?";

struct TypedCase {
    const char* name;
    const char* url;
    bool pressEnter;     // else click OK
    const char* message; // the one message box, empty for none
    bool stays;          // the dialog is still shown
    bool exists;         // the dialog still exists (shown or hidden)
    int promptsShown;
    bool takeAnyway = false;   // the answer to "Download it anyway?"
    const char* checksum = ""; // typed into the checksum field
};

class frmURLTyped : public frmURLTest, public testing::WithParamInterface<TypedCase> { };

TEST_P(frmURLTyped, RunOkOnTheState)
{
    const TypedCase& c = GetParam();
    context->appSettings.ClipboardMonitoring = false;
    open();
    home.prompter.script({c.takeAnyway ? Prompter::Answer::Yes : Prompter::Answer::No});
    QTest::keyClicks(txtURL()->lineEdit(), QString::fromUtf8(c.url));
    EXPECT_EQ(state->txtURL, QString::fromUtf8(c.url));
    QTest::keyClicks(control<QLineEdit>("txtChecksum"), QString::fromUtf8(c.checksum));
    EXPECT_EQ(state->txtChecksum, QString::fromUtf8(c.checksum));
    if (c.pressEnter)
        QTest::keyClick(txtURL()->lineEdit(), Qt::Key_Return);
    else
        control<QPushButton>("Command1")->click();
    runDeferredDeletes();

    if (*c.message) {
        ASSERT_EQ(home.prompter.shown.size(), 1) << "OK ran once";
        EXPECT_EQ(home.prompter.shown[0].text, QString::fromUtf8(c.message));
    } else {
        EXPECT_TRUE(home.prompter.shown.isEmpty());
    }
    EXPECT_EQ(!window.isNull(), c.exists);
    EXPECT_EQ(window && window->isVisible(), c.stays);
    if (c.stays) {
        EXPECT_EQ(txtURL()->currentText(), QString::fromUtf8(c.url)) << "the typed URL is kept";
    }
    EXPECT_EQ(prompts.size(), c.promptsShown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, frmURLTyped,
    testing::Values(TypedCase {"InvalidWithEnter", "www.example.org/f.zip", true, "Invalid URL", true, true, 0},
                    TypedCase {"InvalidWithOk", "gopher://h/f.zip", false, "Invalid URL", true, true, 0},
                    TypedCase {"NoFileName", "http://h/", true,
                               "http://h/ names no file type, so it was not added.\n\n"
                               "The monitored file types are listed in Settings \u203A Monitoring.\n\n"
                               "Download it anyway?",
                               true, true, 0},
                    TypedCase {"AcceptedWithEnter", "http://h/f.zip", true, "", false, false, 1},
                    TypedCase {"AcceptedWithOk", "ftp://h/f.zip", false, "", false, false, 1},
                    // Passed every check but its file type is not monitored:
                    // the user is told why and asked; No keeps the dialog
                    // with the URL, Yes takes it.
                    TypedCase {"NotMonitored", "http://h/notes.txt", true, kNotMonitored, true, true, 0},
                    TypedCase {"NotMonitoredTakenAnyway", "http://h/notes.txt", true, kNotMonitored, false, false, 1,
                               true},
                    TypedCase {"WithAChecksum", "http://h/f.zip", false, "", false, false, 1, false,
                               "md5=d41d8cd98f00b204e9800998ecf8427e"},
                    TypedCase {"WithABadChecksum", "http://h/f.zip", false,
                               "md5=1 is no checksum that can be used: write sha256=, sha512=, sha1= or md5= followed "
                               "by the hex digits the file's publisher gives.",
                               true, true, 0, false, "md5=1"}),
    CaseName());

// Several URLs, pasted or typed a line each (Shift+Enter): the box keeps
// every line, and OK takes them as a list (one save prompt).
struct LinesCase {
    const char* name;
    std::function<void(QLineEdit&)> enter;
    const char* kept; // what the state holds before OK
};

class frmURLLines : public frmURLTest, public testing::WithParamInterface<LinesCase> { };

TEST_P(frmURLLines, KeepsEveryLine)
{
    context->appSettings.ClipboardMonitoring = false;
    open();
    GetParam().enter(*txtURL()->lineEdit());
    EXPECT_EQ(state->txtURL, QString::fromUtf8(GetParam().kept));
    QTest::keyClick(txtURL()->lineEdit(), Qt::Key_Return);
    runDeferredDeletes();
    EXPECT_EQ(prompts, QStringList {QStringLiteral("http://h/a.zip")});
    EXPECT_EQ(lstMain.rowCount(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, frmURLLines,
    testing::Values(LinesCase {"Pasted",
                               [](QLineEdit& box) {
                                   QGuiApplication::clipboard()->setText(
                                       QStringLiteral("http://h/a.zip\r\nhttp://h/b.zip\r\n\r\nwww.example.org/"
                                                      "c.zip\r\n# mirror\r\nftp://h/d.zip\r\n"));
                                   QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
                               },
                               "http://h/a.zip\r\nhttp://h/b.zip\r\n\r\nwww.example.org/c.zip\r\n# mirror\r\n"
                               "ftp://h/d.zip\r\n"},
                    LinesCase {"TypedWithShiftEnter",
                               [](QLineEdit& box) {
                                   const char* const lines[] = {"http://h/a.zip", "http://h/b.zip",
                                                                "www.example.org/c.zip", "ftp://h/d.zip"};
                                   for (const char* line : lines) {
                                       if (line != lines[0])
                                           QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);
                                       QTest::keyClicks(&box, QString::fromLatin1(line));
                                   }
                               },
                               "http://h/a.zip\nhttp://h/b.zip\nwww.example.org/c.zip\nftp://h/d.zip"}),
    CaseName());

struct CancelCase {
    const char* name;
    std::function<void(frmURL&)> cancel;
};

class frmURLCancel : public frmURLTest, public testing::WithParamInterface<CancelCase> { };

TEST_P(frmURLCancel, ClosesTheDialogWithoutAddingAnything)
{
    open();
    QTest::keyClicks(txtURL()->lineEdit(), QStringLiteral("http://h/f.zip"));
    GetParam().cancel(*window);
    runDeferredDeletes();
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(state->loaded());
    EXPECT_EQ(lstMain.rowCount(), 0);
    EXPECT_TRUE(prompts.isEmpty());
    EXPECT_TRUE(home.prompter.shown.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, frmURLCancel,
    testing::Values(CancelCase {"Command2",
                                [](frmURL& dialog) {
                                    dialog.findChild<QPushButton*>(QStringLiteral("Command2"))->click();
                                }},
                    CancelCase {"Escape", [](frmURL& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); }},
                    CancelCase {"CloseButton", [](frmURL& dialog) { dialog.close(); }}),
    CaseName());

// The main menu's Add URL holds the main window while the dialog is open;
// the tray's Enter URL leaves the main window's menus usable. A dialog that
// is open already takes the way of the latest command.
struct ModalityCase {
    const char* name;
    std::vector<Qt::WindowModality> opens;
    bool ownerBlocked;
};

class frmURLModality : public frmURLTest, public testing::WithParamInterface<ModalityCase> { };

TEST_P(frmURLModality, BlocksTheOwnerOnlyWhenModal)
{
    QMainWindow owner;
    auto* clicks = new QPushButton(QStringLiteral("live"), &owner);
    owner.setCentralWidget(clicks);
    owner.resize(400, 300);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    int clicked = 0;
    QObject::connect(clicks, &QPushButton::clicked, [&clicked] { ++clicked; });

    for (const Qt::WindowModality modality : GetParam().opens)
        window = frmURL::showFor(context->text, *state, &owner, modality);
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowModality(), GetParam().opens.back());
    EXPECT_EQ(QApplication::activeModalWidget() == window, GetParam().ownerBlocked);

    // A click that goes through the window system, as the user's does.
    QWindow* ownerWindow = owner.windowHandle();
    const QPoint centre = clicks->mapTo(&owner, clicks->rect().center());
    QTest::mouseClick(ownerWindow, Qt::LeftButton, {}, centre);
    EXPECT_EQ(clicked, GetParam().ownerBlocked ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Ways, frmURLModality,
                         testing::Values(ModalityCase {"MainMenu", {Qt::WindowModal}, true},
                                         ModalityCase {"Tray", {Qt::NonModal}, false},
                                         ModalityCase {"TrayThenMainMenu", {Qt::NonModal, Qt::WindowModal}, true},
                                         ModalityCase {"MainMenuThenTray", {Qt::WindowModal, Qt::NonModal}, false}),
                         CaseName());

// A URL handed over while the user types in the dialog goes its own way and
// leaves the dialog and its text alone.
TEST_F(frmURLTest, AHandedOverUrlLeavesTheOpenDialogAlone)
{
    open();
    txtURL()->setEditText(QStringLiteral("http://h/typed.zip"));
    EXPECT_TRUE(state->DownLoadURL(QStringLiteral("http://h/a.zip")));
    runDeferredDeletes();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(txtURL()->currentText(), QStringLiteral("http://h/typed.zip"));
    EXPECT_EQ(prompts, QStringList {QStringLiteral("http://h/a.zip")});
}

class frmURLLanguages : public frmURLTest, public testing::WithParamInterface<const char*> { };

TEST_P(frmURLLanguages, ShowTheShippedTexts)
{
    UseShippedLanguage(home, *context, GetParam());
    open();
    ExpectShippedLanguageTexts(*window, GetParam(),
                               {{"", "10000"},
                                {"asxPowerBanner1", "10000"},
                                {"Label1", "10002"},
                                {"Command1", "02006"},
                                {"Command2", "05004"}});
}

INSTANTIATE_TEST_SUITE_P(Shipped, frmURLLanguages, testing::ValuesIn(kShippedLanguages), ShippedLanguageName());

// Opened from the tray the dialog is not modal: a language chosen meanwhile
// shows when it is activated again, and the typed address stays.
TEST_F(frmURLTest, TakesAnotherLanguageWhenActivated)
{
    home.installLanguageFiles();
    window = frmURL::showFor(context->text, *state, nullptr, Qt::NonModal);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    window->findChild<QComboBox*>(QStringLiteral("txtURL"))->setEditText(QStringLiteral("http://example.org/a.zip"));
    context->text.setLanguageFile(QStringLiteral("French.ini"));
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(ShownCaption(*window, QStringLiteral("Command2")), QStringLiteral("&Cancel"));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return ShownCaption(*window, QStringLiteral("Command2")) == QStringLiteral("&Annuler"); }, 2000));
    EXPECT_EQ(window->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(window->findChild<QComboBox*>(QStringLiteral("txtURL"))->currentText(),
              QStringLiteral("http://example.org/a.zip"));
}

} // namespace
