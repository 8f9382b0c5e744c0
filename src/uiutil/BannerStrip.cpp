#include "uiutil/BannerStrip.h"

BannerStrip::BannerStrip(QWidget* parent)
    : QLabel(parent)
{
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Highlight));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::HighlightedText));
    setPalette(colours);
    QFont bold = font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    setFont(bold);
    setMargin(8);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}
