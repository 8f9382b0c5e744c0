#pragma once

#include <QLabel>

// The heading strip at the top of a dialog: bold text on a band of the
// highlight colour that runs the full width of the window.
class BannerStrip : public QLabel {
    Q_OBJECT
public:
    explicit BannerStrip(QWidget* parent = nullptr);
};
