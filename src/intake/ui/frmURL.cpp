#include "intake/ui/frmURL.h"

#include "core/TextLookup.h"
#include "intake/AddUrlState.h"
#include "uiutil/BannerStrip.h"
#include "uiutil/DialogLayout.h"
#include "uiutil/LayoutDirection.h"
#include "uiutil/Named.h"
#include "uiutil/TopLevelWindow.h"
#include "uiutil/WindowActivation.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <limits>

frmURL::frmURL(const TextLookup& text, AddUrlState& state, QWidget* parent)
    : QDialog(parent)
    , text_(text)
    , state_(state)
{
    setObjectName(QStringLiteral("frmURL"));
    state_.clipboardText = [] { return QGuiApplication::clipboard()->text(); };

    asxPowerBanner1 = Named(new BannerStrip(this), "asxPowerBanner1");
    Label1 = Named(new QLabel(this), "Label1");
    txtURL = Named(new QComboBox(this), "txtURL");
    txtURL->setEditable(true);
    txtURL->setLayoutDirection(Qt::LeftToRight); // an address reads left to right in every language
    txtURL->setInsertPolicy(QComboBox::NoInsert);
    txtURL->setMinimumWidth(420);
    // Several URLs, one a line, may be pasted (or come from the clipboard):
    // the box keeps every line of them, however long the text.
    txtURL->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    // The combo box hands its keys on to its line edit without passing
    // them through event filters: both are watched.
    txtURL->installEventFilter(this);
    txtURL->lineEdit()->installEventFilter(this);
    Label1->setBuddy(txtURL);
    Label2 = Named(new QLabel(this), "Label2");
    txtChecksum = Named(new QLineEdit(this), "txtChecksum");
    txtChecksum->setLayoutDirection(Qt::LeftToRight); // hex digits read left to right in every language
    Label2->setBuddy(txtChecksum);
    Command1 = Named(new QPushButton(this), "Command1");
    Command1->setDefault(true);
    Command2 = Named(new QPushButton(this), "Command2");

    connect(txtURL, &QComboBox::editTextChanged, this, [this](const QString& typed) { state_.txtURL = typed; });
    connect(txtChecksum, &QLineEdit::textChanged, this, [this](const QString& typed) { state_.txtChecksum = typed; });
    connect(Command1, &QPushButton::clicked, &state_, &AddUrlState::OK);
    connect(Command2, &QPushButton::clicked, &state_, &AddUrlState::Cancel);
    connect(&state_, &AddUrlState::changed, this, &frmURL::refresh);
    // Opened from the tray the dialog is not modal: a language chosen while
    // it is open shows when it is activated again.
    new WindowActivation(this, [this] {
        state_.applyCaptions();
        refresh();
    });
    connect(&state_, &AddUrlState::closed, this, &QObject::deleteLater);

    QVBoxLayout* body = DialogLayout::bannerPage(this, asxPowerBanner1);
    body->addWidget(Label1);
    body->addWidget(txtURL);
    body->addWidget(Label2);
    body->addWidget(txtChecksum);
    body->addSpacing(6);
    body->addLayout(DialogLayout::buttonRow({Command1, Command2}));
    refresh();
}

frmURL* frmURL::showFor(const TextLookup& text, AddUrlState& state, QWidget* parent, Qt::WindowModality modality)
{
    auto* window = TopLevelWindow::find<frmURL>([&](const frmURL& open) { return &open.state() == &state; });
    if (!window)
        window = new frmURL(text, state, parent);
    if (window->windowModality() != modality) {
        // A shown window takes a new modality only when it is shown again.
        window->hide();
        window->setWindowModality(modality);
    }
    if (!state.loaded())
        state.load();
    state.visible = true;
    window->refresh();
    TopLevelWindow::bringForward(window);
    window->txtURL->setFocus();
    return window;
}

void frmURL::reject()
{
    state_.Cancel();
}

bool frmURL::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == txtURL || watched == txtURL->lineEdit()) && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && key->modifiers().testFlag(Qt::ShiftModifier)) {
            txtURL->lineEdit()->insert(QStringLiteral("\n"));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmURL::refresh()
{
    applyLayoutDirection(*this, text_.rightToLeft());
    setWindowTitle(state_.caption);
    asxPowerBanner1->setText(state_.banner);
    Label1->setText(state_.Label1);
    txtURL->setToolTip(text_.caption(
        QStringLiteral("10003"), QStringLiteral("One URL, or several, one a line (Shift+Enter begins a new line)")));
    Label2->setText(state_.Label2);
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
        const QSignalBlocker checksumBlocker(txtChecksum);
        txtChecksum->setText(state_.txtChecksum);
    }
    if (!state_.visible)
        hide();
}
