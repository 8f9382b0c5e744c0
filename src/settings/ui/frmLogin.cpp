#include "settings/ui/frmLogin.h"

#include "settings/KevaContext.h"
#include "settings/LoginPromptState.h"
#include "uiutil/BannerStrip.h"
#include "uiutil/DialogLayout.h"
#include "uiutil/LayoutDirection.h"
#include "uiutil/Named.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmLogin::frmLogin(const TextLookup& text, LoginPromptState& state, QWidget* parent)
    : QDialog(parent)
    , text_(text)
    , state_(state)
{
    setObjectName(QStringLiteral("frmLogin"));
    asxPowerBanner1 = Named(new BannerStrip(this), "asxPowerBanner1");
    lblText = Named(new QLabel(this), "lblText");
    lblText->setWordWrap(true);
    lblUserName = Named(new QLabel(this), "lblUserName");
    txtUserName = Named(new QLineEdit(this), "txtUserName");
    lblUserName->setBuddy(txtUserName);
    lblPassword = Named(new QLabel(this), "lblPassword");
    txtPassword = Named(new QLineEdit(this), "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    lblPassword->setBuddy(txtPassword);
    chkRemember = Named(new QCheckBox(this), "chkRemember");
    cmdOK = Named(new QPushButton(this), "cmdOK");
    cmdOK->setDefault(true);
    cmdCancel = Named(new QPushButton(this), "cmdCancel");

    connect(txtUserName, &QLineEdit::textEdited, this, [this](const QString& typed) { state_.txtUserName = typed; });
    connect(txtPassword, &QLineEdit::textEdited, this, [this](const QString& typed) { state_.txtPassword = typed; });
    connect(chkRemember, &QCheckBox::toggled, this, [this](bool checked) { state_.chkRemember = checked; });
    connect(cmdOK, &QPushButton::clicked, this, &frmLogin::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::reject);

    auto* boxes = new QGridLayout;
    boxes->setColumnStretch(1, 1);
    boxes->addWidget(lblUserName, 0, 0);
    boxes->addWidget(txtUserName, 0, 1);
    boxes->addWidget(lblPassword, 1, 0);
    boxes->addWidget(txtPassword, 1, 1);
    boxes->addWidget(chkRemember, 2, 0, 1, 2);
    QVBoxLayout* body = DialogLayout::bannerPage(this, asxPowerBanner1);
    body->setSpacing(10);
    body->addWidget(lblText);
    body->addLayout(boxes);
    body->addSpacing(4);
    body->addLayout(DialogLayout::buttonRow({cmdOK, cmdCancel}));
    setMinimumWidth(420);
    refresh();
}

std::optional<SiteLogin> frmLogin::ask(KevaContext& context, const QString& server, QWidget* parent)
{
    LoginPromptState state(context, server);
    frmLogin dialog(context.text, state, parent);
    dialog.exec();
    return state.answer();
}

void frmLogin::accept()
{
    if (state_.OK())
        QDialog::accept();
}

void frmLogin::reject()
{
    state_.Cancel();
    QDialog::reject();
}

void frmLogin::refresh()
{
    applyLayoutDirection(*this, text_.rightToLeft());
    setWindowTitle(state_.caption);
    asxPowerBanner1->setText(state_.banner);
    lblText->setText(state_.lblText);
    lblUserName->setText(state_.lblUserName);
    lblPassword->setText(state_.lblPassword);
    chkRemember->setText(state_.chkRememberCaption);
    cmdOK->setText(state_.cmdOK);
    cmdCancel->setText(state_.cmdCancel);
    txtUserName->setText(state_.txtUserName);
    txtPassword->setText(state_.txtPassword);
    chkRemember->setChecked(state_.chkRemember);
}
