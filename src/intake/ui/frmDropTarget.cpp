#include "intake/ui/frmDropTarget.h"

#include "intake/ui/TextDropFilter.h"
#include "settings/KevaContext.h"
#include "uiutil/WindowPlacement.h"

#include <QLabel>
#include <QMouseEvent>
#include <QStyle>
#include <QVBoxLayout>

frmDropTarget::frmDropTarget(const KevaContext& context, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmDropTarget"));
    setWindowTitle(KevaContext::kTitle);

    auto* Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrameShape(QFrame::Box);
    Picture1->setAlignment(Qt::AlignCenter);
    const int iconSize = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_ArrowDown, nullptr, this).pixmap(iconSize));
    Picture1->setFixedSize(iconSize + 16, iconSize + 16);
    Picture1->setToolTip(KevaContext::kTitle);
    Prompter& prompter = context.prompter;
    TextDropFilter::install(Picture1, [&prompter](const QString& text) {
        prompter.tell(text, KevaContext::kTitle, Prompter::Icon::None);
    });

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(2, 2, 2, 2);
    page->addWidget(Picture1);
    SetWindowTopmost(this, true);
}

void frmDropTarget::mousePressEvent(QMouseEvent* event)
{
    DragWindow(this);
    event->accept();
}
