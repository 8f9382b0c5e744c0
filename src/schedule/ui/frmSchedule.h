#pragma once

#include <QDialog>

#include <array>

class BannerStrip;
class KevaContext;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class ScheduleState;

// The schedule dialog: a view over the ScheduleState. It shows the state's
// choices, captions and enabling, turns every click into the state's command,
// and goes when the state's dialog unloads itself.
class frmSchedule : public QDialog {
    Q_OBJECT
public:
    frmSchedule(const KevaContext& context, ScheduleState& state, QWidget* parent = nullptr);

    // The main window's Schedule commands: the state is made ready to be
    // shown, then its window (the open one, or a new one owned by `parent`)
    // is shown over `parent`, which it blocks until it closes.
    static frmSchedule* showFor(const KevaContext& context, ScheduleState& state, QWidget* parent);

    ScheduleState& state() const { return state_; }

public slots:
    // Escape and the caption bar's close button cancel.
    void reject() override;

private:
    void refresh();
    QComboBox* makeList(const char* name, const QStringList& items);

    const KevaContext& context_;
    ScheduleState& state_;

    BannerStrip* asxPowerBanner1 = nullptr;
    QCheckBox* chkNoSch = nullptr;
    QGroupBox* Frame1 = nullptr;
    QComboBox* cmbHour = nullptr;
    QComboBox* cmbMinute = nullptr;
    QComboBox* cmbType = nullptr;
    QRadioButton* optToday = nullptr;
    QRadioButton* optSelDay = nullptr;
    // In the order of the state's day boxes, Saturday to Friday.
    std::array<QCheckBox*, 7> dayBoxes_ {};
    QGroupBox* Frame2 = nullptr;
    QRadioButton* optOver = nullptr;
    QRadioButton* optRes = nullptr;
    QRadioButton* optSkip = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};
