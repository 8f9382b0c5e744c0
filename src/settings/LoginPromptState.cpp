#include "settings/LoginPromptState.h"

#include "core/ProgramTitle.h"
#include "settings/KevaContext.h"
#include "settings/PasswordScrambler.h"
#include "settings/SettingsDialogState.h"

LoginPromptState::LoginPromptState(KevaContext& context, QString serverName)
    : server(std::move(serverName))
    , context_(context)
{
    applyCaptions();
}

void LoginPromptState::applyCaptions()
{
    const auto text = [this](const char* key, const QString& fallback) {
        return context_.text.caption(QString::fromLatin1(key), fallback);
    };
    const QString shownServer = context_.text.leftToRight(server);
    caption = banner = text("04030", QStringLiteral("Login for %1")).arg(shownServer);
    lblText = text("04031", QStringLiteral("%1 asks for a user name and password for this download.")).arg(shownServer);
    lblUserName = text("04032", QStringLiteral("User name:"));
    lblPassword = text("04033", QStringLiteral("Password:"));
    chkRememberCaption = text("04034", QStringLiteral("Remember this login on the Logins page"));
    cmdOK = text("02006", QStringLiteral("OK"));
    cmdCancel = text("05004", QStringLiteral("&Cancel"));
}

bool LoginPromptState::refuse(const char* key, const QString& fallback)
{
    context_.prompter.tell(context_.text.GetText(QString::fromLatin1(key), fallback), kProgramTitle,
                           Prompter::Icon::Exclamation);
    return false;
}

bool LoginPromptState::OK()
{
    if (txtUserName.trimmed().isEmpty())
        return refuse("11018", QStringLiteral("Please enter the user name of the login."));
    if (chkRemember && !PasswordScrambler::canStore(txtPassword))
        return refuse("11016", QStringLiteral("A password can not hold control characters."));
    answer_ = SiteLogin {server, txtUserName, txtPassword};
    if (chkRemember)
        remember(*answer_);
    return true;
}

void LoginPromptState::Cancel()
{
    answer_.reset();
}

// The login goes where the settings dialog keeps it: into the stored list
// that downloads look logins up in, and into the Logins page, so that the
// page shows it and its next Apply keeps it. Then Settings.ini is written,
// as Apply writes it.
void LoginPromptState::remember(const SiteLogin& login)
{
    SettingsDialogState& settings = context_.settingsDialogState();
    RememberSiteLogin(context_.dialogSettings.lstLogin, login);
    RememberSiteLogin(settings.logins.lstLogin, login);
    settings.SaveToINI();
}
