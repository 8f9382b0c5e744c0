#include "site/ui/frmSiteDown.h"

#include "settings/KevaContext.h"
#include "site/SiteDownloadState.h"
#include "uiutil/BannerStrip.h"
#include "uiutil/ChildSignalBlocker.h"
#include "uiutil/DialogLayout.h"
#include "uiutil/LayoutDirection.h"
#include "uiutil/Named.h"
#include "uiutil/TopLevelWindow.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

frmSiteDown::frmSiteDown(const KevaContext& context, SiteDownloadState& state, QWidget* parent)
    : QDialog(parent)
    , context_(context)
    , state_(state)
{
    setObjectName(QStringLiteral("frmSiteDown"));
    asxPowerBanner1 = Named(new BannerStrip(this), "asxPowerBanner1");
    Frame1 = Named(new QGroupBox(this), "Frame1");
    chkTxt = Named(new QCheckBox(Frame1), "chkTxt");
    chkGif = Named(new QCheckBox(Frame1), "chkGif");
    chkAll = Named(new QCheckBox(Frame1), "chkAll");
    Frame2 = Named(new QGroupBox(this), "Frame2");
    optNoLim = Named(new QRadioButton(Frame2), "optNoLim");
    optFiles = Named(new QRadioButton(Frame2), "optFiles");
    txtNum = Named(new QLineEdit(Frame2), "txtNum");
    txtNum->setMaximumWidth(60);
    Label1 = Named(new QLabel(Frame2), "Label1");
    chkCloseWindow = Named(new QCheckBox(this), "chkCloseWindow");
    cmdNext = Named(new QPushButton(this), "cmdNext");
    cmdNext->setDefault(true);
    cmdCancel = Named(new QPushButton(this), "cmdCancel");

    connect(chkTxt, &QCheckBox::toggled, &state_, &SiteDownloadState::setTxt);
    connect(chkGif, &QCheckBox::toggled, &state_, &SiteDownloadState::setGif);
    connect(chkAll, &QCheckBox::toggled, &state_, &SiteDownloadState::chkAll_Click);
    connect(optNoLim, &QRadioButton::clicked, &state_, &SiteDownloadState::optNoLim_Click);
    connect(optFiles, &QRadioButton::clicked, &state_, &SiteDownloadState::optFiles_Click);
    connect(txtNum, &QLineEdit::textEdited, &state_, &SiteDownloadState::setNumber);
    connect(txtNum, &QLineEdit::editingFinished, &state_, &SiteDownloadState::txtNum_LostFocus);
    connect(chkCloseWindow, &QCheckBox::toggled, &state_, &SiteDownloadState::setCloseWindow);
    connect(cmdNext, &QPushButton::clicked, &state_, &SiteDownloadState::cmdNext);
    connect(cmdCancel, &QPushButton::clicked, &state_, &SiteDownloadState::cmdCancel);
    connect(&state_, &SiteDownloadState::changed, this, &frmSiteDown::refresh);
    connect(&state_, &SiteDownloadState::closed, this, &QObject::deleteLater);

    auto* types = new QVBoxLayout(Frame1);
    types->addWidget(chkTxt);
    types->addWidget(chkGif);
    types->addWidget(chkAll);
    auto* limitRow = new QHBoxLayout;
    limitRow->addWidget(optFiles);
    limitRow->addWidget(txtNum);
    limitRow->addWidget(Label1);
    limitRow->addStretch(1);
    auto* number = new QVBoxLayout(Frame2);
    number->addWidget(optNoLim);
    number->addLayout(limitRow);
    QVBoxLayout* body = DialogLayout::bannerPage(this, asxPowerBanner1);
    body->addWidget(Frame1);
    body->addWidget(Frame2);
    body->addWidget(chkCloseWindow);
    body->addSpacing(6);
    body->addLayout(DialogLayout::buttonRow({cmdNext, cmdCancel}));
    refresh();
}

frmSiteDown* frmSiteDown::showFor(const KevaContext& context, SiteDownloadState& state, QWidget* parent)
{
    auto* window = TopLevelWindow::find<frmSiteDown>([&](const frmSiteDown& open) { return &open.state() == &state; });
    if (!window) {
        window = new frmSiteDown(context, state, parent);
        window->setWindowModality(Qt::WindowModal);
    }
    state.showDialog();
    TopLevelWindow::bringForward(window);
    return window;
}

void frmSiteDown::reject()
{
    state_.cmdCancel();
}

void frmSiteDown::refresh()
{
    applyLayoutDirection(*this, state_.rightToLeft());
    const auto caption = [this](const char* control) { return state_.caption(QString::fromLatin1(control)); };
    setWindowTitle(caption("frmSiteDown"));
    asxPowerBanner1->setText(caption("asxPowerBanner1"));
    Frame1->setTitle(caption("Frame1"));
    Frame2->setTitle(caption("Frame2"));
    Label1->setText(caption("Label1"));
    for (QAbstractButton* button :
         std::initializer_list<QAbstractButton*> {chkTxt, chkGif, chkAll, optNoLim, chkCloseWindow, cmdNext, cmdCancel})
        button->setText(state_.caption(button->objectName()));

    const ChildSignalBlocker quiet(*this);
    chkTxt->setChecked(state_.chkTxt);
    chkGif->setChecked(state_.chkGif);
    chkAll->setChecked(state_.chkAll);
    optNoLim->setChecked(state_.optNoLim);
    optFiles->setChecked(state_.optFiles);
    if (txtNum->text() != state_.txtNum)
        txtNum->setText(state_.txtNum);
    chkCloseWindow->setChecked(state_.chkCloseWindow);
    chkTxt->setEnabled(state_.chkTxtEnabled);
    chkGif->setEnabled(state_.chkGifEnabled);
    txtNum->setEnabled(state_.txtNumEnabled);
    Label1->setEnabled(state_.txtNumEnabled);
    if (!state_.visible)
        hide();
}
