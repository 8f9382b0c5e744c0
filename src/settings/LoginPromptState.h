#pragma once

#include "core/SiteLogin.h"

#include <QString>

#include <optional>

class KevaContext;

// The login question without its window: a server wants a user name and
// password that the download does not have. OK gives the login typed; with
// the box ticked it is also remembered on the Logins page and saved, as the
// settings dialog saves that page. Unticked, nothing is stored.
class LoginPromptState {
public:
    LoginPromptState(KevaContext& context, QString server);

    // The server that asks, as the logins are kept for it.
    const QString server;

    // The controls.
    QString txtUserName, txtPassword;
    bool chkRemember = false;
    // Captions.
    QString caption, banner, lblText, lblUserName, lblPassword, chkRememberCaption, cmdOK, cmdCancel;

    // True when the login was taken (answer() holds it); an empty user name,
    // or a password that cannot be stored when it is to be remembered, is
    // refused with a message, and false.
    bool OK();
    void Cancel();

    // The login OK took; nothing before OK and after Cancel.
    const std::optional<SiteLogin>& answer() const { return answer_; }

private:
    // The captions in the current language, the server's name in them.
    void applyCaptions();
    bool refuse(const char* key, const QString& fallback);
    void remember(const SiteLogin& login);

    KevaContext& context_;
    std::optional<SiteLogin> answer_;
};
