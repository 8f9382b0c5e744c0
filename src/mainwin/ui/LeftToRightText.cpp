#include "mainwin/ui/LeftToRightText.h"

QString LeftToRightText::displayText(const QVariant& value, const QLocale& locale) const
{
    const QChar mark(0x200E); // LEFT-TO-RIGHT MARK
    return mark + QStyledItemDelegate::displayText(value, locale) + mark;
}
