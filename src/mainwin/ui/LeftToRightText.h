#pragma once

#include <QStyledItemDelegate>

// Draws a list's cells whose texts read left to right in every language:
// paths and addresses. In a right-to-left window a path's leading "/" would
// otherwise be drawn at its far end; left-to-right marks around the text
// keep it in place, while the cell keeps the side the layout gives it.
class LeftToRightText : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant& value, const QLocale& locale) const override;
};
