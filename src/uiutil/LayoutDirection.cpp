#include "uiutil/LayoutDirection.h"

#include <QWidget>

void applyLayoutDirection(QWidget& widget, bool rightToLeft)
{
    widget.setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
}
