#include "engine/ui/frmServerData.h"

#include "core/TextLookup.h"
#include "uiutil/BannerStrip.h"
#include "uiutil/DialogLayout.h"
#include "uiutil/LayoutDirection.h"
#include "uiutil/Named.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmServerData::frmServerData(const TextLookup& text, const QString& log, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmServerData"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(text.caption(QStringLiteral("08000"), QStringLiteral("Server Interaction Info")));
    applyLayoutDirection(*this, text.rightToLeft());

    auto* asxPowerBanner1 = Named(new BannerStrip(this), "asxPowerBanner1");
    asxPowerBanner1->setText(text.caption(QStringLiteral("08001"), QStringLiteral("Server Interaction Info")));

    txtServerData = Named(new QPlainTextEdit(log, this), "txtServerData");
    txtServerData->setReadOnly(true);
    txtServerData->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtServerData->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* Command1 = Named(
        new QPushButton(text.caption(QStringLiteral("08002"), QStringLiteral("&Copy to Clipboard")), this), "Command1");
    connect(Command1, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(txtServerData->toPlainText()); });
    auto* Command2 = Named(new QPushButton(text.caption(QStringLiteral("08003"), QStringLiteral("E&xit")), this),
                           "Command2");
    Command2->setDefault(true);
    connect(Command2, &QPushButton::clicked, this, &QDialog::close);

    QVBoxLayout* body = DialogLayout::bannerPage(this, asxPowerBanner1, QMargins(10, 6, 10, 10));
    body->addWidget(txtServerData);
    body->addLayout(DialogLayout::buttonRow({Command1, Command2}));
    resize(560, 400);
}
