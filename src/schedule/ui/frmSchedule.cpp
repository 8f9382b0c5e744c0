#include "schedule/ui/frmSchedule.h"

#include "schedule/ScheduleState.h"
#include "settings/KevaContext.h"
#include "uiutil/BannerStrip.h"
#include "uiutil/ChildSignalBlocker.h"
#include "uiutil/DialogLayout.h"
#include "uiutil/LayoutDirection.h"
#include "uiutil/Named.h"
#include "uiutil/TopLevelWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

frmSchedule::frmSchedule(const KevaContext& context, ScheduleState& state, QWidget* parent)
    : QDialog(parent)
    , context_(context)
    , state_(state)
{
    setObjectName(QStringLiteral("frmSchedule"));
    asxPowerBanner1 = Named(new BannerStrip(this), "asxPowerBanner1");
    chkNoSch = Named(new QCheckBox(this), "chkNoSch");

    Frame1 = Named(new QGroupBox(this), "Frame1");
    cmbHour = makeList("cmbHour", ScheduleState::kHours);
    cmbMinute = makeList("cmbMinute", ScheduleState::kMinutes);
    cmbType = makeList("cmbType", ScheduleState::kTypes);
    optToday = Named(new QRadioButton(Frame1), "optToday");
    optSelDay = Named(new QRadioButton(Frame1), "optSelDay");
    for (std::size_t box = 0; box < dayBoxes_.size(); ++box)
        dayBoxes_[box] = Named(new QCheckBox(Frame1), ScheduleState::kDayBoxes[box].control);

    Frame2 = Named(new QGroupBox(this), "Frame2");
    optOver = Named(new QRadioButton(Frame2), "optOver");
    optRes = Named(new QRadioButton(Frame2), "optRes");
    optSkip = Named(new QRadioButton(Frame2), "optSkip");

    Label1 = Named(new QLabel(this), "Label1");
    Label1->setWordWrap(true);
    cmdOK = Named(new QPushButton(this), "cmdOK");
    cmdOK->setDefault(true);
    cmdCancel = Named(new QPushButton(this), "cmdCancel");

    connect(chkNoSch, &QCheckBox::toggled, &state_, &ScheduleState::setNoSchedule);
    connect(cmbHour, &QComboBox::textActivated, &state_, &ScheduleState::chooseHour);
    connect(cmbMinute, &QComboBox::textActivated, this, [this](const QString& minute) { state_.cmbMinute = minute; });
    connect(cmbType, &QComboBox::textActivated, this, [this](const QString& type) { state_.cmbType = type; });
    connect(optToday, &QRadioButton::clicked, &state_, &ScheduleState::chooseToday);
    connect(optSelDay, &QRadioButton::clicked, &state_, &ScheduleState::chooseSelectedDays);
    for (std::size_t box = 0; box < dayBoxes_.size(); ++box) {
        const int day = ScheduleState::kDayBoxes[box].dayOfWeek;
        connect(dayBoxes_[box], &QCheckBox::toggled, this, [this, day](bool checked) { state_.setDay(day, checked); });
    }
    connect(optOver, &QRadioButton::clicked, this, [this] { state_.chooseExistingFiles(Schedule::Overwrite); });
    connect(optRes, &QRadioButton::clicked, this, [this] { state_.chooseExistingFiles(Schedule::Resume); });
    connect(optSkip, &QRadioButton::clicked, this, [this] { state_.chooseExistingFiles(Schedule::Skip); });
    connect(cmdOK, &QPushButton::clicked, &state_, &ScheduleState::OK);
    connect(cmdCancel, &QPushButton::clicked, &state_, &ScheduleState::Cancel);
    connect(&state_, &ScheduleState::changed, this, &frmSchedule::refresh);
    connect(&state_, &ScheduleState::closed, this, &QObject::deleteLater);

    auto* time = new QHBoxLayout;
    time->addWidget(cmbHour);
    time->addWidget(cmbMinute);
    time->addWidget(cmbType);
    time->addStretch(1);
    auto* days = new QGridLayout;
    days->setContentsMargins(22, 0, 0, 0);
    for (std::size_t box = 0; box < dayBoxes_.size(); ++box)
        days->addWidget(dayBoxes_[box], static_cast<int>(box / 4), static_cast<int>(box % 4));
    auto* timeFrame = new QVBoxLayout(Frame1);
    timeFrame->addLayout(time);
    timeFrame->addWidget(optToday);
    timeFrame->addWidget(optSelDay);
    timeFrame->addLayout(days);
    auto* filesFrame = new QHBoxLayout(Frame2);
    filesFrame->addWidget(optOver);
    filesFrame->addWidget(optRes);
    filesFrame->addWidget(optSkip);
    filesFrame->addStretch(1);
    QVBoxLayout* body = DialogLayout::bannerPage(this, asxPowerBanner1);
    body->addWidget(chkNoSch);
    body->addWidget(Frame1);
    body->addWidget(Frame2);
    body->addWidget(Label1);
    body->addSpacing(6);
    body->addLayout(DialogLayout::buttonRow({cmdOK, cmdCancel}));
    refresh();
}

QComboBox* frmSchedule::makeList(const char* name, const QStringList& items)
{
    auto* list = Named(new QComboBox(Frame1), name);
    list->addItems(items);
    return list;
}

frmSchedule* frmSchedule::showFor(const KevaContext& context, ScheduleState& state, QWidget* parent)
{
    auto* window = TopLevelWindow::find<frmSchedule>([&](const frmSchedule& open) { return &open.state() == &state; });
    if (!window) {
        window = new frmSchedule(context, state, parent);
        window->setWindowModality(Qt::WindowModal);
    }
    state.showDialog();
    TopLevelWindow::bringForward(window);
    return window;
}

void frmSchedule::reject()
{
    state_.Cancel();
}

void frmSchedule::refresh()
{
    applyLayoutDirection(*this, state_.rightToLeft());
    const auto caption = [this](const char* control) { return state_.caption(QString::fromLatin1(control)); };
    setWindowTitle(caption("frmSchedule"));
    asxPowerBanner1->setText(caption("asxPowerBanner1"));
    Frame1->setTitle(caption("Frame1"));
    Frame2->setTitle(caption("Frame2"));
    Label1->setText(caption("Label1"));
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*> {chkNoSch, optToday, optSelDay, optOver,
                                                                            optRes, optSkip, cmdOK, cmdCancel})
        button->setText(state_.caption(button->objectName()));

    const ChildSignalBlocker quiet(*this);
    chkNoSch->setChecked(state_.chkNoSch);
    cmbHour->setCurrentText(state_.cmbHour);
    cmbMinute->setCurrentText(state_.cmbMinute);
    cmbType->setCurrentText(state_.cmbType);
    optToday->setChecked(state_.optToday);
    optSelDay->setChecked(state_.optSelDay);
    optOver->setChecked(state_.optOver);
    optRes->setChecked(state_.optRes);
    optSkip->setChecked(state_.optSkip);
    for (std::size_t box = 0; box < dayBoxes_.size(); ++box) {
        QCheckBox* day = dayBoxes_[box];
        day->setText(state_.caption(day->objectName()));
        day->setChecked(state_.Today(ScheduleState::kDayBoxes[box].dayOfWeek));
        day->setEnabled(state_.daysEnabled);
    }
    for (QWidget* control : std::initializer_list<QWidget*> {cmbHour, cmbMinute, cmbType, optToday, optSelDay})
        control->setEnabled(state_.timeEnabled);
    if (!state_.visible)
        hide();
}
