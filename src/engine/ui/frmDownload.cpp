#include "engine/ui/frmDownload.h"

#include "core/TextLookup.h"
#include "engine/DownloadJob.h"
#include "engine/ui/frmServerData.h"
#include "uiutil/LayoutDirection.h"
#include "uiutil/Named.h"
#include "uiutil/NewAddressDialog.h"
#include "uiutil/TopLevelWindow.h"
#include "uiutil/WindowActivation.h"
#include "uiutil/WindowCascade.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* valueLabel(QWidget* parent, const char* name)
{
    auto* label = Named(new QLabel(parent), name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(110);
    return label;
}

QProgressBar* progressBar(QWidget* parent, const char* name)
{
    auto* bar = Named(new QProgressBar(parent), name);
    bar->setRange(0, 100);
    bar->setTextVisible(false);
    bar->setFixedHeight(14);
    return bar;
}

// A line edit keeps its cursor and scroll position unless its text changes.
void setLineText(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text) {
        edit->setText(text);
        edit->setCursorPosition(0);
    }
}

} // namespace

frmDownload::frmDownload(const TextLookup& text, DownloadJob& job, QWidget* parent)
    : QWidget(parent)
    , text_(text)
    , job_(job)
{
    setObjectName(QStringLiteral("frmDownload"));
    buildControls();
    layOutControls();
    connectCommands();
    refreshTimer_.setSingleShot(true);
    refreshTimer_.setInterval(kRefreshMs);
    connect(&refreshTimer_, &QTimer::timeout, this, &frmDownload::refresh);
    // A language chosen while the window is open shows when it is activated.
    new WindowActivation(this, [this] { job_.SetCaptions(); });
    refresh();
}

frmDownload* frmDownload::showFor(const TextLookup& text, DownloadJob& job, Closing closing)
{
    auto* window = TopLevelWindow::find<frmDownload>([&](const frmDownload& open) { return &open.job() == &job; });
    if (!window) {
        // A new window opens a step on from the furthest one still shown.
        const frmDownload* last = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            const auto* open = qobject_cast<const frmDownload*>(widget);
            const auto reach = [](const QWidget* w) { return w->x() + w->y(); };
            if (open && open->isVisible() && (!last || reach(open) > reach(last)))
                last = open;
        }
        const QWidget* mainWindow = TopLevelWindow::find<QWidget>(
            [](const QWidget& open) { return open.objectName() == QStringLiteral("frmMain"); });
        window = new frmDownload(text, job);
        connect(&job, &QObject::destroyed, window, [window] { delete window; });
        WindowCascade::place(window, last, mainWindow);
        window->closing_ = closing;
    }
    TopLevelWindow::bringForward(window);
    return window;
}

void frmDownload::buildControls()
{
    Frame2 = Named(new QGroupBox(this), "Frame2");
    Label1 = Named(new QLabel(Frame2), "Label1");
    Label2 = Named(new QLabel(Frame2), "Label2");
    Label3 = Named(new QLabel(Frame2), "Label3");
    Label4 = Named(new QLabel(Frame2), "Label4");
    Label5 = Named(new QLabel(Frame2), "Label5");
    Label6 = Named(new QLabel(Frame2), "Label6");
    Label7 = Named(new QLabel(Frame2), "Label7");
    Label8 = Named(new QLabel(Frame2), "Label8");
    txtURL = Named(new QLineEdit(Frame2), "txtURL");
    txtSaveTo = Named(new QLineEdit(Frame2), "txtSaveTo");
    // An address and a path read left to right in every language.
    for (QLineEdit* box : {txtURL, txtSaveTo}) {
        box->setReadOnly(true);
        box->setLayoutDirection(Qt::LeftToRight);
    }
    lblFileSize = valueLabel(Frame2, "lblFileSize");
    lblRecievedSize = valueLabel(Frame2, "lblRecievedSize");
    lblTimeRemaining = valueLabel(Frame2, "lblTimeRemaining");
    lblElapsedTime = valueLabel(Frame2, "lblElapsedTime");
    lblTransferRate = valueLabel(Frame2, "lblTransferRate");
    lblResume = valueLabel(Frame2, "lblResume");

    lblStatus = Named(new QLabel(this), "lblStatus");
    lblStatus->setWordWrap(true);
    lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblTimer = Named(new QLabel(this), "lblTimer");
    lblPer = Named(new QLabel(this), "lblPer");
    lblPer->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("100%")) + 6);
    lblPer->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ProgressBar1 = progressBar(this, "ProgressBar1");
    for (QProgressBar*& bar : PVProgressBar)
        bar = progressBar(this, "PVProgressBar");

    cmdPause = Named(new QPushButton(this), "cmdPause");
    cmdStop = Named(new QPushButton(this), "cmdStop");
    cmdOpen = Named(new QPushButton(this), "cmdOpen");
    cmdGotoDir = Named(new QPushButton(this), "cmdGotoDir");
    cmdChangeAddress = Named(new QPushButton(this), "cmdChangeAddress");
    cmdMore = Named(new QPushButton(this), "cmdMore");
    mnuMore = Named(new QMenu(this), "mnuMore");
    interactdata_mnu = Named(mnuMore->addAction(QString()), "interactdata_mnu");
}

void frmDownload::layOutControls()
{
    auto* info = new QGridLayout(Frame2);
    info->setColumnStretch(1, 1);
    info->setColumnStretch(3, 1);
    info->setHorizontalSpacing(10);
    info->addWidget(Label2, 0, 0);
    info->addWidget(txtURL, 0, 1, 1, 3);
    info->addWidget(Label1, 1, 0);
    info->addWidget(txtSaveTo, 1, 1, 1, 3);
    info->addWidget(Label4, 2, 0);
    info->addWidget(lblFileSize, 2, 1);
    info->addWidget(Label6, 2, 2);
    info->addWidget(lblRecievedSize, 2, 3);
    info->addWidget(Label5, 3, 0);
    info->addWidget(lblTimeRemaining, 3, 1);
    info->addWidget(Label7, 3, 2);
    info->addWidget(lblElapsedTime, 3, 3);
    info->addWidget(Label8, 4, 0);
    info->addWidget(lblTransferRate, 4, 1);
    info->addWidget(Label3, 4, 2);
    info->addWidget(lblResume, 4, 3);

    auto* status = new QHBoxLayout;
    status->addWidget(lblStatus, 1);
    status->addWidget(lblTimer, 0, Qt::AlignTop);

    // The whole-file bar above, the segments' bars side by side below it.
    auto* segments = new QHBoxLayout;
    segments->setSpacing(4);
    for (QProgressBar* bar : PVProgressBar)
        segments->addWidget(bar, 1);
    auto* bars = new QGridLayout;
    bars->setVerticalSpacing(4);
    bars->addWidget(ProgressBar1, 0, 0);
    bars->addLayout(segments, 1, 0);
    bars->addWidget(lblPer, 0, 1, 2, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdMore);
    buttons->addStretch(1);
    buttons->addWidget(cmdChangeAddress);
    buttons->addWidget(cmdOpen);
    buttons->addWidget(cmdGotoDir);
    buttons->addWidget(cmdPause);
    buttons->addWidget(cmdStop);

    auto* page = new QVBoxLayout(this);
    page->addWidget(Frame2);
    page->addLayout(status);
    page->addLayout(bars);
    page->addStretch(1);
    page->addLayout(buttons);
    // Wide enough for a long address and "** Resume Supported **" beside its caption.
    setMinimumWidth(500);
    resize(600, sizeHint().height());
}

void frmDownload::connectCommands()
{
    connect(cmdPause, &QPushButton::clicked, &job_, &DownloadJob::Pause_Resume);
    connect(cmdStop, &QPushButton::clicked, &job_, &DownloadJob::StopMe);
    connect(cmdOpen, &QPushButton::clicked, &job_, &DownloadJob::cmdOpen_Click);
    connect(cmdGotoDir, &QPushButton::clicked, &job_, &DownloadJob::cmdGotoDir_Click);
    connect(cmdChangeAddress, &QPushButton::clicked, this, [this] {
        if (const auto address = NewAddressDialog::ask(this, text_, job_.url()))
            job_.giveNewAddress(*address);
    });
    connect(interactdata_mnu, &QAction::triggered, &job_, &DownloadJob::interactdata_mnu_Click);
    // The menu opens below the button, at its left edge.
    connect(cmdMore, &QPushButton::clicked, this,
            [this] { mnuMore->popup(cmdMore->mapToGlobal(QPoint(0, cmdMore->height()))); });
    connect(&job_, &DownloadJob::displayChanged, this, &frmDownload::scheduleRefresh);
    connect(&job_, &DownloadJob::unloaded, this, &QWidget::hide);
    connect(&job_, &DownloadJob::serverDataRequested, this, &frmDownload::showServerData);
}

void frmDownload::scheduleRefresh()
{
    if (!refreshTimer_.isActive())
        refreshTimer_.start();
}

void frmDownload::refresh()
{
    const DownloadJob::Display& view = job_.view();
    setWindowTitle(view.caption);
    applyLayoutDirection(*this, view.rightToLeft);

    Frame2->setTitle(view.Frame2);
    const std::pair<QLabel*, const QString&> labels[] = {
        {Label1, view.Label1},       {Label2, view.Label2},     {Label3, view.Label3}, {Label4, view.Label4},
        {Label5, view.Label5},       {Label6, view.Label6},     {Label7, view.Label7}, {Label8, view.Label8},
        {lblResume, view.lblResume}, {lblTimer, view.lblTimer},
    };
    for (const auto& [label, text] : labels)
        label->setText(text);
    // Sizes, rates and times read left to right, in a right-to-left window too.
    const std::pair<QLabel*, const QString&> amounts[] = {
        {lblFileSize, view.lblFileSize},         {lblRecievedSize, view.lblRecievedSize},
        {lblTransferRate, view.lblTransferRate}, {lblTimeRemaining, view.lblTimeRemaining},
        {lblElapsedTime, view.lblElapsedTime},   {lblPer, view.lblPer},
    };
    for (const auto& [label, text] : amounts)
        label->setText(view.rightToLeft && !text.isEmpty() ? TextLookup::leftToRightRun(text) : text);
    setLineText(txtURL, view.txtURL);
    setLineText(txtSaveTo, view.txtSaveTo);
    lblStatus->setText(view.lblStatus);
    tint(lblStatus, view.lblStatusIsError ? QColor(Qt::red) : QColor());
    using ResumeColor = DownloadJob::Display::ResumeColor;
    tint(lblResume,
         view.lblResumeColor == ResumeColor::Green         ? QColor(Qt::darkGreen)
             : view.lblResumeColor == ResumeColor::DarkRed ? QColor(Qt::darkRed)
                                                           : QColor());
    lblTimer->setVisible(view.lblTimerVisible);

    ProgressBar1->setVisible(view.ProgressBar1Visible);
    ProgressBar1->setValue(view.ProgressBar1);
    for (std::size_t i = 0; i < PVProgressBar.size(); ++i) {
        PVProgressBar[i]->setVisible(static_cast<int>(i) < view.segmentBarsVisible);
        PVProgressBar[i]->setValue(view.PVProgressBar[i]);
    }

    cmdPause->setText(view.cmdPause);
    cmdPause->setEnabled(view.cmdPauseEnabled);
    if (view.starts != focusedStart_) {
        focusedStart_ = view.starts;
        cmdPause->setFocus();
    }
    cmdStop->setText(view.cmdStop);
    cmdStop->setEnabled(view.cmdStopEnabled);
    cmdChangeAddress->setText(view.cmdChangeAddress);
    cmdChangeAddress->setVisible(view.cmdChangeAddressVisible);
    cmdOpen->setText(view.cmdOpen);
    cmdOpen->setVisible(view.cmdOpenVisible);
    cmdGotoDir->setText(view.cmdGotoDir);
    cmdGotoDir->setVisible(view.cmdGotoDirVisible);
    cmdMore->setText(view.cmdMore);
    interactdata_mnu->setText(view.interactdata_mnu);
}

// A label in a colour of its own, or (with an invalid colour) the window's.
void frmDownload::tint(QLabel* label, const QColor& colour)
{
    QPalette colours = label->parentWidget() ? label->parentWidget()->palette() : label->palette();
    if (colour.isValid())
        colours.setColor(QPalette::WindowText, colour);
    label->setPalette(colours);
}

void frmDownload::showServerData(const QString& log)
{
    auto* window = new frmServerData(text_, log, this);
    window->show();
}

// Closing the window from its title bar unloads the job, which finishes
// the transfer first; a window the user opened over a job that runs without
// one only goes out of sight.
void frmDownload::closeEvent(QCloseEvent* event)
{
    if (closing_ == Closing::UnloadsJob)
        job_.unload();
    QWidget::closeEvent(event);
}
