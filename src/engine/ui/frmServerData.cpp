#include "engine/ui/frmServerData.h"

#include "settings/KevaContext.h"
#include "uiutil/BannerStrip.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmServerData::frmServerData(const KevaContext& context, const QString& log, QWidget* parent)
    : QDialog(parent)
{
    const TextLookup& text = context.text;
    setObjectName(QStringLiteral("frmServerData"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(text.GetText(QStringLiteral("08000"), QStringLiteral("Server Interaction Info")));
    setLayoutDirection(text.rightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);

    auto* asxPowerBanner1 = new BannerStrip(this);
    asxPowerBanner1->setObjectName(QStringLiteral("asxPowerBanner1"));
    asxPowerBanner1->setText(text.GetText(QStringLiteral("08001")));

    txtServerData = new QPlainTextEdit(log, this);
    txtServerData->setObjectName(QStringLiteral("txtServerData"));
    txtServerData->setReadOnly(true);
    txtServerData->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtServerData->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* Command1 = new QPushButton(text.GetText(QStringLiteral("08002"), QStringLiteral("&Copy to Clipboard")), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    connect(Command1, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(txtServerData->toPlainText()); });
    auto* Command2 = new QPushButton(text.GetText(QStringLiteral("08003"), QStringLiteral("E&xit")), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setDefault(true);
    connect(Command2, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->addWidget(asxPowerBanner1);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 6, 10, 10);
    body->addWidget(txtServerData);
    body->addLayout(buttons);
    page->addLayout(body);
    resize(560, 400);
}
