#pragma once

#include "core/SiteLogin.h"

#include <QDialog>

#include <optional>

class BannerStrip;
class KevaContext;
class TextLookup;
class LoginPromptState;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The login question of a download whose server wants a user name and
// password: a view over the LoginPromptState. It shows the state's captions,
// writes the boxes back into it, and turns OK and Cancel into its commands.
class frmLogin : public QDialog {
    Q_OBJECT
public:
    frmLogin(const TextLookup& text, LoginPromptState& state, QWidget* parent = nullptr);

    // Asks modally for a login for `server`: the login to send, or nothing
    // when the user cancels or closes the dialog.
    static std::optional<SiteLogin> ask(KevaContext& context, const QString& server, QWidget* parent = nullptr);

public slots:
    // OK closes the dialog only once the state took the login.
    void accept() override;
    // Escape and the caption bar's close button cancel.
    void reject() override;

private:
    void refresh();

    const TextLookup& text_;
    LoginPromptState& state_;

    BannerStrip* asxPowerBanner1 = nullptr;
    QLabel* lblText = nullptr;
    QLabel* lblUserName = nullptr;
    QLineEdit* txtUserName = nullptr;
    QLabel* lblPassword = nullptr;
    QLineEdit* txtPassword = nullptr;
    QCheckBox* chkRemember = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};
