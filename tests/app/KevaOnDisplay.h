#pragma once

#include "support/TestHome.h"
#include "support/XvfbDisplay.h"

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>

// The real KEVA on a virtual display, with its own folders, started and
// driven the way a user would: typed keys and window names through xdotool.
// What it opens with the desktop's opener is noted in <home>/opened.txt.
class KevaOnDisplay : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Polls `done` until it holds or `ms` have passed; its last answer.
    static bool waitFor(const std::function<bool()>& done, int ms);

    // Starts a window manager (openbox) on the display and waits until it is
    // ready: windows then close, minimise and take the focus as on a desktop.
    bool startWindowManager();
    // Starts the first KEVA (with `arguments`) and waits until its receiver
    // can be found.
    bool startKeva(const QStringList& arguments = {});
    // A second start with a command line: it hands it over and ends at once.
    int secondStart(const QString& commandLine);
    // SIGTERM, as the system sends it at shutdown; gives the history written.
    QByteArray terminate();

    // The windows whose name matches `pattern`, in stacking order.
    QStringList windowsNamed(const QString& pattern) const;
    // Waits (up to `ms`) for a visible window whose name matches `pattern`
    // and gives it the focus.
    QString focusWindow(const QString& pattern, int ms = 30000) const;
    // Opens a dialog from the main window's menu with `menuKeys` and gives it
    // the focus. A menu that opens late on a loaded machine can miss its
    // letter: the keys are pressed again (after Escape) while no dialog shows.
    QString openFromMenu(const QStringList& menuKeys, const QString& dialogPattern) const;
    // Gives `window` the focus and presses `key` (an xdotool key name).
    void press(const QString& window, const QString& key) const;
    // Presses keys in the focused window, one after another.
    void keys(const QStringList& names) const;
    // Types text into the focused window.
    void typeText(const QString& text) const;

    void storeSetting(const char* name, const char* value);

    TestHome home;
    XvfbDisplay display;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString keva = TestHome::binFolder() + QStringLiteral("/KEVA");
    QProcess running;
    QProcess windowManager;
};
