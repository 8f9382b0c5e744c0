#include "mainwin/DownloadNotices.h"

#include "engine/DownloadJob.h"
#include "engine/DownloadWindows.h"
#include "engine/JobList.h"
#include "mainwin/DesktopNotifier.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"

#include "LocalDownloads.h"
#include "PrivateBus.h"
#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// Downloads of a window into the test's home, told of by a DownloadNotices
// over a bus of the test's own, where the fake notification service runs or
// not.
class DownloadNoticesTest : public testing::Test {
protected:
    explicit DownloadNoticesTest(bool service = true)
        : bus(service ? kService : QString(), kPath)
    {
    }

    void SetUp() override
    {
        KEVA_REQUIRE_BUS(bus);
        context = &home.newContext();
        LoadSettings(*context, LoadReason::Startup);
        windows = std::make_unique<DownloadWindows>(*context, jobs);
        notifier = std::make_unique<DesktopNotifier>(bus.connection(), home.shell);
        notices = std::make_unique<DownloadNotices>(context->appSettings, context->text, *notifier);
        notices->showBalloon = [this](const QString& title, const QString& body) {
            balloons.append(title + QLatin1Char('|') + body);
            return true;
        };
        windows->showWindow = [this](DownloadJob& job) { notices->watch(job); };
    }

    // The path of a file in the home, and the Notify call the fake recorded
    // for it: app name, replaced id, icon, title, body, actions, hints, expiry.
    QString file(const char* name) const { return home.path(QString::fromLatin1(name)); }
    static QString notifyLine(const QString& body, const QString& actions)
    {
        return QStringLiteral("Notify\tQuillspan\t0\t\tQuillspan\t%1\t%2\t\t-1").arg(body, actions);
    }

    PrivateBus bus;
    TestHome home;
    KevaContext* context = nullptr;
    JobList jobs;
    LocalDownloads downloads;
    std::unique_ptr<DownloadWindows> windows;
    std::unique_ptr<DesktopNotifier> notifier;
    std::unique_ptr<DownloadNotices> notices;
    QStringList balloons;
};

TEST_F(DownloadNoticesTest, ActionsOpenTheFileOrItsFolderUntilTheNoticeCloses)
{
    const DownloadJob* job = downloads.run(*windows, file("done.bin"));
    ASSERT_TRUE(job && job->completed());
    EXPECT_EQ(LocalDownloads::sha256(home.readFile(QStringLiteral("done.bin"))),
              LocalDownloads::sha256(downloads.content()));
    EXPECT_EQ(bus.calls(1),
              QStringList {notifyLine(QStringLiteral("done.bin\\nDownload complete"),
                                      QStringLiteral("open,Open,open-folder,Open Folder"))});

    bus.emitSignal(kService, QStringLiteral("ActionInvoked"), {7U, QStringLiteral("open")});
    bus.emitSignal(kService, QStringLiteral("ActionInvoked"), {1U, QStringLiteral("open-folder")});
    bus.emitSignal(kService, QStringLiteral("ActionInvoked"), {1U, QStringLiteral("open")});
    bus.emitSignal(kService, QStringLiteral("NotificationClosed"), {1U, 2U});
    bus.emitSignal(kService, QStringLiteral("ActionInvoked"), {1U, QStringLiteral("open")});
    LocalDownloads::settle(300);
    EXPECT_EQ(home.shell.opened, (QStringList {QFileInfo(file("done.bin")).absolutePath(), file("done.bin")}))
        << "another program's notice and a closed one open nothing";
    EXPECT_TRUE(balloons.isEmpty());
}

// Where the notice of a download goes, and what it says.
struct NoticeCase {
    const char* name;
    bool service;
    bool notifyOn;
    bool fails; // the file does not match the checksum its address gives
};

class DownloadNoticeCase : public DownloadNoticesTest, public testing::WithParamInterface<NoticeCase> {
protected:
    DownloadNoticeCase()
        : DownloadNoticesTest(GetParam().service)
    {
    }
};

TEST_P(DownloadNoticeCase, GoesToTheServiceOrTheTray)
{
    const NoticeCase& c = GetParam();
    context->appSettings.NotifyWhenDone = c.notifyOn;
    const DownloadJob* job = downloads.run(
        *windows, file("f.bin"), c.fails ? QStringLiteral("#sha256=") + QString(64, QLatin1Char('0')) : QString());
    ASSERT_NE(job, nullptr);
    ASSERT_EQ(job->completed(), !c.fails);
    EXPECT_EQ(LocalDownloads::sha256(home.readFile(QStringLiteral("f.bin"))),
              LocalDownloads::sha256(downloads.content()));
    const QString outcome = c.fails
        ? QStringLiteral("Checksum mismatch: expected %1, got %2")
              .arg(QString(64, QLatin1Char('0')), QString::fromLatin1(LocalDownloads::sha256(downloads.content())))
        : QStringLiteral("Download complete");
    const QString actions = c.fails ? QStringLiteral("open-folder,Open Folder")
                                    : QStringLiteral("open,Open,open-folder,Open Folder");
    const bool notified = c.notifyOn && c.service;
    EXPECT_EQ(bus.calls(notified ? 1 : 0),
              notified ? QStringList {notifyLine(QStringLiteral("f.bin\\n") + outcome, actions)} : QStringList());
    const bool inTray = c.notifyOn && !c.service;
    EXPECT_EQ(balloons, inTray ? QStringList {QStringLiteral("Quillspan|f.bin\n") + outcome} : QStringList());
}

INSTANTIATE_TEST_SUITE_P(Notices, DownloadNoticeCase,
                         testing::Values(NoticeCase {"Completed", true, true, false},
                                         NoticeCase {"Failed", true, true, true},
                                         NoticeCase {"SettingOff", true, false, false},
                                         NoticeCase {"NoServiceTray", false, true, false},
                                         NoticeCase {"NoServiceSettingOff", false, false, false}),
                         CaseName());

} // namespace
