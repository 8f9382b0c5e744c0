#include "mainwin/ui/frmPowerCountdown.h"

#include "core/ProgramTitle.h"
#include "core/TextLookup.h"
#include "mainwin/PowerCountdown.h"
#include "uiutil/DialogLayout.h"
#include "uiutil/LayoutDirection.h"
#include "uiutil/Named.h"
#include "uiutil/TopLevelWindow.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

frmPowerCountdown::frmPowerCountdown(const TextLookup& text, PowerCountdown& countdown, QWidget* parent)
    : QDialog(parent)
    , countdown_(&countdown)
{
    setObjectName(QStringLiteral("frmPowerCountdown"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kProgramTitle);
    lblCountdown = Named(new QLabel(this), "lblCountdown");
    barCountdown = Named(new QProgressBar(this), "barCountdown");
    barCountdown->setRange(0, countdown.secondsLeft());
    barCountdown->setTextVisible(false);
    cmdNow = Named(new QPushButton(text.GetText(QStringLiteral("11173"), QStringLiteral("&Now")), this), "cmdNow");
    cmdCancel = Named(new QPushButton(text.caption(QStringLiteral("05004"), QStringLiteral("&Cancel")), this),
                      "cmdCancel");
    cmdCancel->setDefault(true);
    auto* body = new QVBoxLayout(this);
    body->addWidget(lblCountdown);
    body->addWidget(barCountdown);
    body->addLayout(DialogLayout::buttonRow({cmdCancel, cmdNow}));
    setMinimumWidth(360);
    applyLayoutDirection(*this, text.rightToLeft());

    connect(cmdCancel, &QPushButton::clicked, this, &frmPowerCountdown::reject);
    connect(cmdNow, &QPushButton::clicked, &countdown, &PowerCountdown::actNow);
    connect(&countdown, &PowerCountdown::changed, this, &frmPowerCountdown::refresh);
    connect(&countdown, &PowerCountdown::finished, this, &QDialog::accept);
    refresh();
}

frmPowerCountdown* frmPowerCountdown::showFor(const TextLookup& text, PowerCountdown& countdown)
{
    auto* window = new frmPowerCountdown(text, countdown);
    window->setWindowFlag(Qt::WindowStaysOnTopHint);
    TopLevelWindow::bringForward(window);
    return window;
}

void frmPowerCountdown::reject()
{
    // The count's end closes the window; one that is over already closes here.
    if (countdown_)
        countdown_->cancel();
    if (isVisible())
        QDialog::reject();
}

void frmPowerCountdown::refresh()
{
    if (!countdown_)
        return;
    lblCountdown->setText(countdown_->lblCountdown());
    barCountdown->setValue(countdown_->secondsLeft());
}
