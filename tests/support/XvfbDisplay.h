#pragma once

#include <QProcess>
#include <QString>

// A virtual X display for tests that drive real windows: Xvfb on a free
// display number, stopped with the object. xdotool types into its windows.
class XvfbDisplay {
public:
    XvfbDisplay() = default;
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    // False when Xvfb did not come up; errorText() says why.
    bool start();
    // ":N", for the DISPLAY of the programs the test starts.
    QString display() const { return display_; }
    QString errorText() const { return errorText_; }
    static bool isInstalled();

    // Runs xdotool with `arguments` on this display; its standard output, trimmed.
    QString xdotool(const QStringList& arguments, int timeoutMs = 20000) const;

private:
    QProcess server_;
    QString display_;
    QString errorText_;
};
