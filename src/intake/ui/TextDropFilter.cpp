#include "intake/ui/TextDropFilter.h"

#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

TextDropFilter::TextDropFilter(Handler onDrop, QObject* parent)
    : QObject(parent)
    , onDrop_(std::move(onDrop))
{
}

TextDropFilter* TextDropFilter::install(QWidget* target, Handler onDrop)
{
    auto* filter = new TextDropFilter(std::move(onDrop), target);
    target->setAcceptDrops(true);
    target->installEventFilter(filter);
    return filter;
}

bool TextDropFilter::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData() || !drop->mimeData()->hasText())
            return QObject::eventFilter(watched, event);
        drop->acceptProposedAction();
        if (event->type() == QEvent::Drop)
            onDrop_(drop->mimeData()->text());
        return true;
    }
    default: return QObject::eventFilter(watched, event);
    }
}
