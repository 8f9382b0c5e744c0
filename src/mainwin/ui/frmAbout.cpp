#include "mainwin/ui/frmAbout.h"

#include "mainwin/AboutState.h"
#include "mainwin/ui/ProgramIcons.h"
#include "uiutil/LayoutDirection.h"
#include "uiutil/Named.h"
#include "uiutil/WindowActivation.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

frmAbout::frmAbout(AboutState& state, QWidget* parent)
    : QDialog(parent)
    , state_(state)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    const auto label = [this](const char* name) { return Named(new QLabel(this), name); };
    picIcon = label("picIcon");
    picIcon->setPixmap(ProgramIcons::program().pixmap(48, 48));
    picIcon->setAlignment(Qt::AlignTop);
    lblTitle = label("lblTitle");
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    lblTitle->setFont(titleFont);
    lblVersionCaption = label("lblVersionCaption");
    lblVersion = label("lblVersion");
    lblDescription = label("lblDescription");
    lblDescription->setWordWrap(true);
    lblLocationCaption = label("lblLocationCaption");
    lblLocation = label("lblLocation");
    lblLocation->setWordWrap(true);
    lblLocation->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblDisclaimer = label("lblDisclaimer");
    lblDisclaimer->setWordWrap(true);
    cmdOK = Named(new QPushButton(this), "cmdOK");
    cmdOK->setDefault(true);
    cmdSysInfo = Named(new QPushButton(this), "cmdSysInfo");
    cmdSysInfo->setIcon(style()->standardIcon(QStyle::SP_ComputerIcon));

    auto* facts = new QGridLayout;
    facts->addWidget(lblVersionCaption, 0, 0);
    facts->addWidget(lblVersion, 0, 1);
    facts->addWidget(lblLocationCaption, 1, 0, Qt::AlignTop);
    facts->addWidget(lblLocation, 1, 1);
    facts->setColumnStretch(1, 1);
    auto* text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblDescription);
    text->addLayout(facts);
    auto* top = new QHBoxLayout;
    top->addWidget(picIcon);
    top->addLayout(text, 1);

    auto* line = Named(new QFrame(this), "Line1");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblDisclaimer, 1);
    bottom->addLayout(buttons);

    auto* body = new QVBoxLayout(this);
    body->addLayout(top);
    body->addWidget(line);
    body->addLayout(bottom);
    setMinimumWidth(480);

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { state_.cmdSysInfo_Click(); });
    applyCaptions();
    new WindowActivation(this, [this] { applyCaptions(); });
}

frmAbout* frmAbout::showFor(AboutState& state, QWidget* parent)
{
    frmAbout* window = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* candidate = qobject_cast<frmAbout*>(widget); candidate && candidate->isVisible())
            window = candidate;
    }
    if (!window)
        window = new frmAbout(state, parent);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void frmAbout::applyCaptions()
{
    state_.applyCaptions();
    applyLayoutDirection(*this, state_.rightToLeft());
    setWindowTitle(state_.caption(objectName()));
    for (QLabel* caption : {lblTitle, lblVersionCaption, lblDescription, lblLocationCaption, lblDisclaimer})
        caption->setText(state_.caption(caption->objectName()));
    for (QPushButton* button : {cmdOK, cmdSysInfo})
        button->setText(state_.caption(button->objectName()));
    lblVersion->setText(state_.lblVersion);
    lblLocation->setText(state_.lblLocation);
}
