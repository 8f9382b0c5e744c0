#pragma once

#include "SlowTransfers.h"
#include "engine/DownloadWindows.h"
#include "intake/IntakeSession.h"
#include "mainwin/JobViews.h"
#include "mainwin/MainWindowState.h"
#include "mainwin/ui/frmMain.h"
#include "support/TestHome.h"

#include <QDate>

#include <gtest/gtest.h>

#include <memory>

class DownloadJob;
class QAction;

// The state of the main window with the window over it, in the test's own
// program folder with the shipped language files.
class MainWindowFixture : public testing::Test {
protected:
    static inline const QDate kToday {2026, 12, 7};

    void SetUp() override;
    void TearDown() override;

    // A row of seven cells: "<name>.bin", "<percent>%", ..., "http://host/<name>", date.
    static QStringList cells(const QString& name, int percent, const QDate& date = kToday);
    QAction* action(const char* name) const;
    // Lets the deferred changes of the views take place.
    static void settle();
    // The slow server of transferringJob; a test that uses it starts it
    // first with KEVA_REQUIRE_PEER(transfers().server()).
    SlowTransfers& transfers();
    // A job in a download slot, saved as `name` in the test's folder, that is
    // transferring from the slow server and goes on doing so while the test runs.
    DownloadJob* transferringJob(const QString& name);

    TestHome home;
    KevaContext* context = nullptr;
    IntakeSession intake;
    JobViews views;
    std::unique_ptr<DownloadWindows> windows;
    std::unique_ptr<MainWindowState> state;
    bool trayAvailable = true;
    std::unique_ptr<frmMain> window;

private:
    std::unique_ptr<SlowTransfers> transfers_;
};
