#include "intake/ui/frmFile.h"

#include "core/TextLookup.h"
#include "intake/SavePromptState.h"
#include "uiutil/BannerStrip.h"
#include "uiutil/DialogLayout.h"
#include "uiutil/LayoutDirection.h"
#include "uiutil/Named.h"
#include "uiutil/TopLevelWindow.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

frmFile::frmFile(const TextLookup& text, SavePromptState& state, QWidget* parent)
    : QDialog(parent)
    , text_(text)
    , state_(state)
{
    setObjectName(QStringLiteral("frmFile"));
    asxPowerBanner1 = Named(new BannerStrip(this), "asxPowerBanner1");
    Frame1 = Named(new QGroupBox(this), "Frame1");
    Label1 = Named(new QLabel(Frame1), "Label1");
    txtURL = Named(new QLineEdit(Frame1), "txtURL");
    Label2 = Named(new QLabel(Frame1), "Label2");
    txtSaveTo = Named(new QLineEdit(Frame1), "txtSaveTo");
    // An address and a path read left to right in every language.
    for (QLineEdit* box : {txtURL, txtSaveTo}) {
        box->setReadOnly(true);
        box->setLayoutDirection(Qt::LeftToRight);
    }
    txtURL->setMinimumWidth(380);
    Command4 = Named(new QPushButton(Frame1), "Command4");
    Command1 = Named(new QPushButton(this), "Command1");
    Command2 = Named(new QPushButton(this), "Command2");
    Command3 = Named(new QPushButton(this), "Command3");
    Command1->setDefault(true);

    connect(Command1, &QPushButton::clicked, &state_, &SavePromptState::beginDownload);
    connect(Command2, &QPushButton::clicked, &state_, &SavePromptState::downloadLater);
    connect(Command3, &QPushButton::clicked, &state_, &SavePromptState::cancel);
    connect(Command4, &QPushButton::clicked, &state_, &SavePromptState::change);
    connect(&state_, &SavePromptState::changed, this, &frmFile::refresh);
    connect(&state_, &SavePromptState::closed, this, [this] {
        hide();
        deleteLater();
    });

    auto* info = new QGridLayout(Frame1);
    info->setColumnStretch(1, 1);
    info->addWidget(Label1, 0, 0);
    info->addWidget(txtURL, 0, 1, 1, 2);
    info->addWidget(Label2, 1, 0);
    info->addWidget(txtSaveTo, 1, 1);
    info->addWidget(Command4, 1, 2);
    QVBoxLayout* body = DialogLayout::bannerPage(this, asxPowerBanner1);
    body->addWidget(Frame1);
    body->addLayout(DialogLayout::buttonRow({Command1, Command2, Command3}));
    refresh();
}

frmFile* frmFile::showFor(const TextLookup& text, SavePromptState& state, QWidget* parent)
{
    // One prompt at a time: the state opens the next only after this one closed.
    auto* window = new frmFile(text, state, parent);
    state.open();
    TopLevelWindow::bringForward(window);
    return window;
}

frmFile::SavePathQuestion frmFile::saveAsDialog(QWidget* owner)
{
    return [owner = QPointer<QWidget>(owner)](const QString& caption,
                                              const QString& proposed) -> std::optional<QString> {
        // "*.*" names every file, as it does where the program comes from;
        // the dialog shows that name but matches files without a dot too.
        // An existing file is not questioned here: the download asks what to
        // do with it.
        const QString chosen = QFileDialog::getSaveFileName(
            owner, caption, proposed, QStringLiteral("All Files(*.*) (*)"), nullptr,
            QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite | QFileDialog::HideNameFilterDetails);
        if (chosen.isEmpty())
            return std::nullopt;
        return chosen;
    };
}

void frmFile::reject()
{
    state_.cancel();
}

void frmFile::refresh()
{
    applyLayoutDirection(*this, text_.rightToLeft());
    setWindowTitle(state_.caption);
    asxPowerBanner1->setText(state_.banner);
    Frame1->setTitle(state_.Frame1);
    Label1->setText(state_.Label1);
    Label2->setText(state_.Label2);
    Command1->setText(state_.Command1);
    Command2->setText(state_.Command2);
    Command3->setText(state_.Command3);
    Command4->setText(state_.Command4);
    for (auto [edit, text] : {std::pair {txtURL, state_.txtURL}, std::pair {txtSaveTo, state_.txtSaveTo}}) {
        edit->setText(text);
        edit->setCursorPosition(0); // the start of a long path or URL
    }
}
