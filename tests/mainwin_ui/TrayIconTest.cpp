#include "mainwin/ui/TrayIcon.h"

#include "support/CaptionHelpers.h"
#include "MainWindowFixture.h"
#include "engine/DownloadJob.h"
#include "mainwin/ui/ProgramIcons.h"
#include "settings/KevaContext.h"
#include "support/PeerRequirement.h"

#include <QAction>
#include <QImage>
#include <QMenu>

namespace {

QImage picture(const QIcon& icon)
{
    return icon.pixmap(QSize(32, 32)).toImage();
}

class TrayIconTest : public MainWindowFixture {
protected:
    QAction* entry(TrayIcon& tray, const char* name) const
    {
        return tray.menu().findChild<QAction*>(QString::fromLatin1(name));
    }
};

TEST_F(TrayIconTest, StillIconAndTip)
{
    TrayIcon tray(*state, *window);
    EXPECT_EQ(tray.icon().toolTip(), QStringLiteral("KEVA 3.0"));
    EXPECT_EQ(picture(tray.icon().icon()), picture(ProgramIcons::trayFrame(0)));
    EXPECT_EQ(tray.icon().contextMenu(), &tray.menu());
}

TEST_F(TrayIconTest, FramesFollowTheTransferTicks)
{
    KEVA_REQUIRE_PEER(transfers().server());
    TrayIcon tray(*state, *window);
    DownloadJob* job = transferringJob(QStringLiteral("a.bin"));
    ASSERT_TRUE(job && job->isTransferring());
    ASSERT_TRUE(SlowTransfers::waitForRate(*job));
    // The four frames are four different pictures.
    for (int frame = 1; frame < ProgramIcons::kTrayFrames; ++frame)
        EXPECT_NE(picture(ProgramIcons::trayFrame(frame)), picture(ProgramIcons::trayFrame(frame - 1)));
    // The window's own timer may have moved the frames on while the rate
    // came up: each tick shows the frame after the one shown.
    for (int tick = 0; tick < 5; ++tick) {
        const int frame = (state->trayFrame() + 1) % ProgramIcons::kTrayFrames;
        state->tmrGraph_Timer();
        EXPECT_EQ(picture(tray.icon().icon()), picture(ProgramIcons::trayFrame(frame))) << frame;
    }
    job->Pause_Resume();
    state->tmrGraph_Timer();
    EXPECT_EQ(picture(tray.icon().icon()), picture(ProgramIcons::trayFrame(0)));
}

TEST_F(TrayIconTest, LeftClickBringsTheWindowBack)
{
    TrayIcon tray(*state, *window);
    window->showMinimized();
    window->hide();
    emit tray.icon().activated(QSystemTrayIcon::Context);
    EXPECT_FALSE(window->isVisible());
    emit tray.icon().activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
}

TEST_F(TrayIconTest, ShowStatusShowsTheWindow)
{
    TrayIcon tray(*state, *window);
    entry(tray, "showstatus_traymnu")->trigger();
    EXPECT_TRUE(window->isVisible());
}

TEST_F(TrayIconTest, ChecksFollowTheSettingsWhenTheMenuOpens)
{
    TrayIcon tray(*state, *window);
    QAction* clipboard = entry(tray, "clipboardmonitoring_traymnu");
    QAction* clicks = entry(tray, "captureclicks_traymnu");
    context->appSettings.ClipboardMonitoring = true;
    context->appSettings.ClickCapture = false;
    emit tray.menu().aboutToShow();
    EXPECT_TRUE(clipboard->isChecked());
    EXPECT_FALSE(clicks->isChecked());

    clipboard->trigger();
    EXPECT_FALSE(context->appSettings.ClipboardMonitoring);
    EXPECT_FALSE(clipboard->isChecked());
    clicks->trigger();
    EXPECT_TRUE(context->appSettings.ClickCapture);
    EXPECT_TRUE(clicks->isChecked());
}

TEST_F(TrayIconTest, PauseAllResumeAllAndClose)
{
    KEVA_REQUIRE_PEER(transfers().server());
    TrayIcon tray(*state, *window);
    DownloadJob* job = transferringJob(QStringLiteral("a.bin"));
    ASSERT_NE(job, nullptr);
    job->Pause_Resume();
    entry(tray, "mnuresumeAllTray")->trigger();
    ASSERT_TRUE(job->isTransferring());
    entry(tray, "mnuPauseAllTray")->trigger();
    EXPECT_TRUE(job->isPaused());

    int quits = 0;
    state->quit = [&quits] { ++quits; };
    state->removeTrayIcon = [&tray] { tray.remove(); };
    tray.add();
    entry(tray, "close_traymnu")->trigger();
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(state->ended());
    EXPECT_FALSE(tray.icon().isVisible());
}

TEST_F(TrayIconTest, DialogEntriesWaitForTheirWindows)
{
    TrayIcon tray(*state, *window);
    const struct {
        TrayIcon::Dialog dialog;
        const char* entry;
    } cases[] = {{TrayIcon::Dialog::EnterUrl, "enterurl_traymnu"},
                 {TrayIcon::Dialog::Settings, "settings_traymnu"},
                 {TrayIcon::Dialog::DropTarget, "droptarget_traymnu"}};
    for (const auto& [dialog, name] : cases) {
        QAction* action = entry(tray, name);
        EXPECT_FALSE(action->isEnabled()) << name;
        int opened = 0;
        tray.setDialog(dialog, [&opened] { ++opened; });
        action->trigger();
        EXPECT_EQ(opened, 1) << name;
        tray.setDialog(dialog, {});
    }
}

TEST_F(TrayIconTest, CaptionsComeFromTheLanguageFile)
{
    TrayIcon tray(*state, *window);
    WriteNumberedLanguageFile(home, {QStringLiteral("01050"), QStringLiteral("01056"), QStringLiteral("01057")});
    state->SetCaptions();
    EXPECT_EQ(entry(tray, "close_traymnu")->text(), QStringLiteral("T01056"));
    EXPECT_EQ(entry(tray, "showstatus_traymnu")->text(), QStringLiteral("T01057"));
    EXPECT_EQ(tray.menu().findChild<QMenu*>(QStringLiteral("tools_traymnu"))->title(), QStringLiteral("T01050"));
    EXPECT_EQ(tray.menu().findChild<QMenu*>(QStringLiteral("downloadwindows_traymnu"))->title(),
              QStringLiteral("Download Windows"));
}

} // namespace
