#pragma once

#include <QDialog>

class BannerStrip;
class KevaContext;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class SiteDownloadState;

// The site-download dialog: a view over the SiteDownloadState. It shows the
// state's choices, captions and enabling, turns every click into the state's
// command, and goes when the state's dialog closes.
class frmSiteDown : public QDialog {
    Q_OBJECT
public:
    frmSiteDown(const KevaContext& context, SiteDownloadState& state, QWidget* parent = nullptr);

    // The main window's site-download commands: the state loads the stored
    // choices, then its window (the open one, or a new one owned by
    // `parent`) is shown over `parent`, which it blocks until it closes.
    static frmSiteDown* showFor(const KevaContext& context, SiteDownloadState& state, QWidget* parent);

    SiteDownloadState& state() const { return state_; }

public slots:
    // Escape and the caption bar's close button cancel.
    void reject() override;

private:
    void refresh();

    const KevaContext& context_;
    SiteDownloadState& state_;

    BannerStrip* asxPowerBanner1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QCheckBox* chkTxt = nullptr;
    QCheckBox* chkGif = nullptr;
    QCheckBox* chkAll = nullptr;
    QGroupBox* Frame2 = nullptr;
    QRadioButton* optNoLim = nullptr;
    QRadioButton* optFiles = nullptr;
    QLineEdit* txtNum = nullptr;
    QLabel* Label1 = nullptr;
    QCheckBox* chkCloseWindow = nullptr;
    QPushButton* cmdNext = nullptr;
    QPushButton* cmdCancel = nullptr;
};
