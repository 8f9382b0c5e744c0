#include "schedule/ui/frmSchedule.h"

#include "schedule/ScheduleState.h"
#include "settings/KevaContext.h"
#include "uiutil/BannerStrip.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <vector>

frmSchedule::frmSchedule(const KevaContext& context, ScheduleState& state, QWidget* parent)
    : QDialog(parent)
    , context_(context)
    , state_(state)
{
    setObjectName(QStringLiteral("frmSchedule"));
    asxPowerBanner1 = new BannerStrip(this);
    asxPowerBanner1->setObjectName(QStringLiteral("asxPowerBanner1"));
    chkNoSch = makeCheckBox("chkNoSch", this);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    cmbHour = makeList("cmbHour", ScheduleState::kHours);
    cmbMinute = makeList("cmbMinute", ScheduleState::kMinutes);
    cmbType = makeList("cmbType", ScheduleState::kTypes);
    optToday = makeOption("optToday", Frame1);
    optSelDay = makeOption("optSelDay", Frame1);
    for (std::size_t box = 0; box < dayBoxes_.size(); ++box)
        dayBoxes_[box] = makeCheckBox(ScheduleState::kDayBoxes[box].control, Frame1);

    Frame2 = new QGroupBox(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    optOver = makeOption("optOver", Frame2);
    optRes = makeOption("optRes", Frame2);
    optSkip = makeOption("optSkip", Frame2);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

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
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(14, 10, 14, 12);
    body->addWidget(chkNoSch);
    body->addWidget(Frame1);
    body->addWidget(Frame2);
    body->addWidget(Label1);
    body->addSpacing(6);
    body->addLayout(buttons);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->addWidget(asxPowerBanner1);
    page->addLayout(body);
    refresh();
}

QCheckBox* frmSchedule::makeCheckBox(const char* name, QWidget* parent)
{
    auto* box = new QCheckBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QRadioButton* frmSchedule::makeOption(const char* name, QWidget* parent)
{
    auto* option = new QRadioButton(parent);
    option->setObjectName(QString::fromLatin1(name));
    return option;
}

QComboBox* frmSchedule::makeList(const char* name, const QStringList& items)
{
    auto* list = new QComboBox(Frame1);
    list->setObjectName(QString::fromLatin1(name));
    list->addItems(items);
    return list;
}

frmSchedule* frmSchedule::showFor(const KevaContext& context, ScheduleState& state, QWidget* parent)
{
    frmSchedule* window = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* candidate = qobject_cast<frmSchedule*>(widget);
        if (candidate && &candidate->state() == &state)
            window = candidate;
    }
    if (!window) {
        window = new frmSchedule(context, state, parent);
        window->setWindowModality(Qt::WindowModal);
    }
    state.showDialog();
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void frmSchedule::reject()
{
    state_.Cancel();
}

void frmSchedule::refresh()
{
    setLayoutDirection(state_.rightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    const auto caption = [this](const char* control) { return state_.caption(QString::fromLatin1(control)); };
    setWindowTitle(caption("frmSchedule"));
    asxPowerBanner1->setText(caption("asxPowerBanner1"));
    Frame1->setTitle(caption("Frame1"));
    Frame2->setTitle(caption("Frame2"));
    Label1->setText(caption("Label1"));
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*> {chkNoSch, optToday, optSelDay, optOver, optRes,
                                                                            optSkip, cmdOK, cmdCancel})
        button->setText(state_.caption(button->objectName()));

    // The controls show the state; setting them must not write back into it.
    std::vector<QSignalBlocker> blockers;
    for (QObject* control : findChildren<QObject*>())
        blockers.emplace_back(control);
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
