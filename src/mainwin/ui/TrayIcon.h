#pragma once

#include "mainwin/ui/CaptionedControls.h"

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

class MainWindowState;
class frmMain;
class QAction;

// The icon in the notification area and its menu TRAYMNU, over
// MainWindowState: the picture follows the state's animation frame, a left
// click brings the main window back, a right click opens the menu.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    // The windows that other parts bring; their entries are disabled until set.
    enum class Dialog { EnterUrl, Settings, DropTarget };

    TrayIcon(MainWindowState& state, frmMain& window, QObject* parent = nullptr);

    void setDialog(Dialog dialog, const std::function<void()>& open);

    // Adds the icon to the notification area, and removes it.
    void add() { icon_.show(); }
    void remove() { icon_.hide(); }

    // Shows a notice in a balloon over the icon; false where the desktop has
    // no tray or the icon is not in it.
    bool showBalloon(const QString& title, const QString& body);

    QSystemTrayIcon& icon() { return icon_; }
    QMenu& menu() { return TRAYMNU; }

private:
    void applyCaptions();
    void showChecks();

    MainWindowState& state_;
    frmMain& window_;
    QMenu TRAYMNU;
    QSystemTrayIcon icon_;
    QAction* clipboardmonitoring_traymnu = nullptr;
    QAction* captureclicks_traymnu = nullptr;
    CaptionedControls captions_;
};
