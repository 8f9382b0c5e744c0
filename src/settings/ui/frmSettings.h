#pragma once

#include "settings/ui/SettingsControls.h"

#include <QDialog>
#include <QString>

class KevaContext;
class SettingsDialogState;

// The settings dialog: ten tabbed pages over the SettingsDialogState. It shows
// the page states, turns every edit and click into the state's fields and
// commands, and closes when OK or Cancel closed the state.
class frmSettings : public QDialog, private SettingsControls {
    Q_OBJECT
public:
    explicit frmSettings(KevaContext& context, QWidget* parent = nullptr);

    // The main window's settings commands: shows the open dialog, or a new
    // one owned by `parent`.
    static frmSettings* showFor(KevaContext& context, QWidget* parent);

public slots:
    // Escape and the caption bar's close button cancel.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SettingsDialogState& state() const;
    void connectControls();
    void applyCaptions();
    void showCurrentCounters();
    void refresh();
    QString browse();
    void finish(void (SettingsDialogState::*command)());

    KevaContext& context_;
};
