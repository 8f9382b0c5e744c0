#pragma once

#include <QDialog>

class AddUrlState;
class BannerStrip;
class TextLookup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The add-URL dialog: a view over the AddUrlState. It shows the state's URL,
// history, checksum field and captions, writes the typed URL back, and turns OK and Cancel
// into the state's commands. It hides when the state is hidden and goes when
// the state's dialog is gone.
class frmURL : public QDialog {
    Q_OBJECT
public:
    frmURL(const TextLookup& text, AddUrlState& state, QWidget* parent = nullptr);

    // Opens the dialog as the menu and tray commands do: the state is loaded
    // unless it already is (a hidden dialog left by a refused hand-off), then
    // the window (the one already made for the state, or a new one owned by
    // `parent`) is shown with `modality`: the main menu's Add URL blocks the
    // main window (Qt::WindowModal), the tray's Enter URL leaves it usable
    // (Qt::NonModal).
    static frmURL* showFor(const TextLookup& text, AddUrlState& state, QWidget* parent, Qt::WindowModality modality);

    AddUrlState& state() const { return state_; }

public slots:
    // Escape and the caption bar's close button cancel.
    void reject() override;

protected:
    // Shift+Enter in the URL box begins a new line, for a list of URLs;
    // Enter alone is OK.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();

    const TextLookup& text_;
    AddUrlState& state_;

    BannerStrip* asxPowerBanner1 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* txtURL = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtChecksum = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
};
