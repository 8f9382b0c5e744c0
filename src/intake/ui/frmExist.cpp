#include "intake/ui/frmExist.h"

#include "core/TextLookup.h"
#include "uiutil/BannerStrip.h"
#include "uiutil/DialogLayout.h"
#include "uiutil/LayoutDirection.h"
#include "uiutil/Named.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

frmExist::frmExist(const TextLookup& text, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmExist"));
    setWindowTitle(text.caption(QStringLiteral("05000"), QStringLiteral("File Already Exists!?")));
    applyLayoutDirection(*this, text.rightToLeft());

    auto* asxPowerBanner1 = Named(new BannerStrip(this), "asxPowerBanner1");
    asxPowerBanner1->setText(text.caption(QStringLiteral("05001"), QStringLiteral("File Exists")));

    auto* Picture1 = Named(new QLabel(this), "Picture1");
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this).pixmap(iconSize));
    Picture1->setAlignment(Qt::AlignTop);

    auto* Label1 = Named(new QLabel(this), "Label1");
    Label1->setText(
        text.caption(QStringLiteral("05002"),
                     QStringLiteral("The file already exists at this location!  What would you like to do?")));
    Label1->setWordWrap(true);

    const auto button = [this](const char* name, const QString& caption, int result) {
        auto* pushButton = Named(new QPushButton(caption, this), name);
        connect(pushButton, &QPushButton::clicked, this, [this, result] { done(result); });
        return pushButton;
    };
    QPushButton* cmdOverwrite = button(
        "cmdOverwrite", text.caption(QStringLiteral("05003"), QStringLiteral("&Overwrite File")), OverwriteChosen);
    QPushButton* cmdResume = button("cmdResume", text.caption(QStringLiteral("04013"), QStringLiteral("&Resume")),
                                    ResumeChosen);
    QPushButton* Command3 = button("Command3", text.caption(QStringLiteral("05004"), QStringLiteral("&Cancel")),
                                   QDialog::Rejected);
    cmdResume->setDefault(true);

    auto* question = new QHBoxLayout;
    question->setSpacing(14);
    question->addWidget(Picture1);
    question->addWidget(Label1, 1);
    QVBoxLayout* body = DialogLayout::bannerPage(this, asxPowerBanner1);
    body->setSpacing(14);
    body->addLayout(question);
    body->addLayout(DialogLayout::buttonRow({cmdOverwrite, cmdResume, Command3}));
    setMinimumWidth(420);
}

FileExistsChoice frmExist::ask(const TextLookup& text, QWidget* parent)
{
    frmExist dialog(text, parent);
    switch (dialog.exec()) {
    case OverwriteChosen: return FileExistsChoice::Overwrite;
    case ResumeChosen: return FileExistsChoice::Resume;
    default: return FileExistsChoice::Keep;
    }
}
