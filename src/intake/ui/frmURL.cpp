#include "intake/ui/frmURL.h"

#include "intake/AddUrlState.h"
#include "settings/KevaContext.h"
#include "uiutil/BannerStrip.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

frmURL::frmURL(const KevaContext& context, AddUrlState& state, QWidget* parent)
    : QDialog(parent)
    , context_(context)
    , state_(state)
{
    setObjectName(QStringLiteral("frmURL"));
    state_.clipboardText = [] { return QGuiApplication::clipboard()->text(); };

    asxPowerBanner1 = new BannerStrip(this);
    asxPowerBanner1->setObjectName(QStringLiteral("asxPowerBanner1"));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    txtURL = new QComboBox(this);
    txtURL->setObjectName(QStringLiteral("txtURL"));
    txtURL->setEditable(true);
    txtURL->setInsertPolicy(QComboBox::NoInsert);
    txtURL->setMinimumWidth(420);
    Label1->setBuddy(txtURL);
    Command1 = new QPushButton(this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command2 = new QPushButton(this);
    Command2->setObjectName(QStringLiteral("Command2"));

    connect(txtURL, &QComboBox::editTextChanged, this, [this](const QString& text) { state_.txtURL = text; });
    connect(Command1, &QPushButton::clicked, &state_, &AddUrlState::OK);
    connect(Command2, &QPushButton::clicked, &state_, &AddUrlState::Cancel);
    connect(&state_, &AddUrlState::changed, this, &frmURL::refresh);
    connect(&state_, &AddUrlState::closed, this, &QObject::deleteLater);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(14, 10, 14, 12);
    body->addWidget(Label1);
    body->addWidget(txtURL);
    body->addSpacing(6);
    body->addLayout(buttons);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->addWidget(asxPowerBanner1);
    page->addLayout(body);
    refresh();
}

frmURL* frmURL::showFor(const KevaContext& context, AddUrlState& state, QWidget* parent,
                        Qt::WindowModality modality)
{
    frmURL* window = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* candidate = qobject_cast<frmURL*>(widget);
        if (candidate && &candidate->state() == &state)
            window = candidate;
    }
    if (!window)
        window = new frmURL(context, state, parent);
    if (window->windowModality() != modality) {
        // A shown window takes a new modality only when it is shown again.
        window->hide();
        window->setWindowModality(modality);
    }
    if (!state.loaded())
        state.load();
    state.visible = true;
    window->refresh();
    window->show();
    window->raise();
    window->activateWindow();
    window->txtURL->setFocus();
    return window;
}

void frmURL::reject()
{
    state_.Cancel();
}

void frmURL::refresh()
{
    setLayoutDirection(context_.text.rightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    setWindowTitle(state_.caption);
    asxPowerBanner1->setText(state_.banner);
    Label1->setText(state_.Label1);
    Command1->setText(state_.Command1);
    Command2->setText(state_.Command2);
    {
        // The list and the text come from the state; filling them must not
        // write back into it.
        const QSignalBlocker blocker(txtURL);
        txtURL->clear();
        txtURL->addItems(state_.txtURLItems);
        txtURL->setEditText(state_.txtURL);
        txtURL->lineEdit()->selectAll();
    }
    if (!state_.visible)
        hide();
}
