#pragma once

#include <QMargins>

#include <initializer_list>

class BannerStrip;
class QAbstractButton;
class QDialog;
class QHBoxLayout;
class QVBoxLayout;

// The layout the dialogs share: the banner strip across the top, the body
// below it within margins of its own, the buttons in a row at its far end.
class DialogLayout {
public:
    static constexpr QMargins kBodyMargins {14, 10, 14, 12};

    // Lays `dialog` out as `banner` over a body and returns the body, for the
    // dialog's controls.
    static QVBoxLayout* bannerPage(QDialog* dialog, BannerStrip* banner, QMargins bodyMargins = kBodyMargins);
    // The buttons in their order, pushed to the far end of the row.
    static QHBoxLayout* buttonRow(std::initializer_list<QAbstractButton*> buttons);
};
