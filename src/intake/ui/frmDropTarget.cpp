#include "intake/ui/frmDropTarget.h"

#include "core/ProgramTitle.h"
#include "core/TextLookup.h"
#include "intake/ui/TextDropFilter.h"
#include "platform/Prompter.h"
#include "uiutil/WindowPlacement.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// Room between the window and the corner of the screen it opens in.
constexpr int kCornerGap = 48;

} // namespace

frmDropTarget::frmDropTarget(Prompter& prompter, const TextLookup& text, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmDropTarget"));
    setWindowTitle(kProgramTitle);

    auto* Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrameShape(QFrame::Box);
    Picture1->setAlignment(Qt::AlignCenter);
    const int iconSize = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
    Picture1->setPixmap(style()->standardIcon(QStyle::SP_ArrowDown, nullptr, this).pixmap(iconSize));
    Picture1->setFixedSize(iconSize + 16, iconSize + 16);
    Picture1->setToolTip(kProgramTitle);
    TextDropFilter::install(
        Picture1, [&prompter](const QString& dropped) { prompter.tell(dropped, kProgramTitle, Prompter::Icon::None); });

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(2, 2, 2, 2);
    page->setSizeConstraint(QLayout::SetFixedSize);
    page->addWidget(Picture1);

    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("mnuDropTarget"));
    QAction* close = menu_->addAction(text.caption(QStringLiteral("04015"), QStringLiteral("&Close")));
    close->setObjectName(QStringLiteral("close_dropmnu"));
    connect(close, &QAction::triggered, this, &QWidget::hide);

    SetWindowTopmost(this, true);
}

void frmDropTarget::toggle()
{
    setVisible(!isVisible());
}

// The first time it opens, the window goes near the bottom right corner of the
// screen, out of the way of the windows links are dragged from; later it
// opens where the user left it.
void frmDropTarget::showEvent(QShowEvent* event)
{
    if (!placed_) {
        placed_ = true;
        if (const QScreen* screen = this->screen()) {
            const QRect area = screen->availableGeometry();
            move(area.right() - width() - kCornerGap, area.bottom() - height() - kCornerGap);
        }
    }
    QWidget::showEvent(event);
}

void frmDropTarget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    following_ = !DragWindow(this);
    grip_ = event->position().toPoint();
    event->accept();
}

void frmDropTarget::mouseMoveEvent(QMouseEvent* event)
{
    if (following_ && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - grip_);
    event->accept();
}

void frmDropTarget::mouseReleaseEvent(QMouseEvent* event)
{
    following_ = false;
    event->accept();
}

void frmDropTarget::contextMenuEvent(QContextMenuEvent* event)
{
    menu_->popup(event->globalPos());
    event->accept();
}
