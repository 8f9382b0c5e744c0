#pragma once

#include <QDialog>

#include <functional>
#include <optional>

class BannerStrip;
class TextLookup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SavePromptState;

// The "Save file to?" prompt: a view over the SavePromptState. It shows the
// URL and the save path and turns its four buttons into the state's
// commands; it goes when the state closes the prompt.
class frmFile : public QDialog {
    Q_OBJECT
public:
    using SavePathQuestion = std::function<std::optional<QString>(const QString& caption, const QString& proposed)>;

    frmFile(const TextLookup& text, SavePromptState& state, QWidget* parent = nullptr);

    // Opens a prompt for the state's PromptURL, not modal: the state asks at
    // once where to save (through its askSavePath), then a new window owned
    // by `parent` shows the answer. The state opens one prompt at a time.
    static frmFile* showFor(const TextLookup& text, SavePromptState& state, QWidget* parent);

    // The save-as question the program gives the state's askSavePath: a Qt
    // file dialog owned by `owner`, never the desktop's own, so that it looks
    // and behaves the same on every desktop.
    static SavePathQuestion saveAsDialog(QWidget* owner);

    SavePromptState& state() const { return state_; }

public slots:
    // Escape and the caption bar's close button cancel.
    void reject() override;

private:
    void refresh();

    const TextLookup& text_;
    SavePromptState& state_;

    BannerStrip* asxPowerBanner1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtURL = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtSaveTo = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
};
