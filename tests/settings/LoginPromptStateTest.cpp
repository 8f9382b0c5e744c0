#include "settings/LoginPromptState.h"

#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsDialogState.h"
#include "settings/SettingsIniFile.h"

#include "support/CaseName.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>

namespace {

const SiteLogin kStored {QStringLiteral("files.example"), QStringLiteral("old"), QStringLiteral("oldpass")};

struct LoginPromptCase {
    const char* name;
    const char* server;
    const char* userName;
    const char* password;
    bool remember;
    bool cancel;
    // The message OK shows; empty when OK takes the login.
    const char* message;
    // The logins held, shown on the Logins page and saved, afterwards.
    QList<SiteLogin> logins;
};

class LoginPrompt : public testing::TestWithParam<LoginPromptCase> { };

TEST_P(LoginPrompt, AnswersAndStoresOnlyWhatItIsAskedTo)
{
    const LoginPromptCase& c = GetParam();
    TestHome home;
    home.writeFile(QStringLiteral("home/Lang/English.ini"), "[KEVA]\n11016=no control characters\n11018=need user\n");
    const QString ini = home.programFolder() + QStringLiteral("/Settings.ini");
    ASSERT_TRUE(SettingsIniFile::write(ini, home.programFolder(), {}, {kStored}));
    const QByteArray before = home.readFile(QStringLiteral("home/Settings.ini"));
    KevaContext& context = home.newContext();
    LoadSettings(context, LoadReason::Startup);

    LoginPromptState state(context, QString::fromUtf8(c.server));
    EXPECT_FALSE(state.chkRemember) << "nothing is remembered unless asked";
    state.txtUserName = QString::fromUtf8(c.userName);
    state.txtPassword = QString::fromUtf8(c.password);
    state.chkRemember = c.remember;
    if (c.cancel) {
        state.Cancel();
    } else {
        EXPECT_EQ(state.OK(), *c.message == '\0');
    }

    const bool taken = !c.cancel && *c.message == '\0';
    if (taken)
        EXPECT_EQ(
            state.answer(),
            (SiteLogin {QString::fromUtf8(c.server), QString::fromUtf8(c.userName), QString::fromUtf8(c.password)}));
    else
        EXPECT_FALSE(state.answer().has_value());
    if (*c.message) {
        ASSERT_EQ(home.prompter.shown.size(), 1);
        EXPECT_EQ(home.prompter.shown[0].text, QString::fromUtf8(c.message));
    } else {
        EXPECT_TRUE(home.prompter.shown.isEmpty());
    }
    EXPECT_EQ(context.dialogSettings.lstLogin, c.logins);
    EXPECT_EQ(context.settingsDialogState().logins.lstLogin, c.logins) << "the Logins page shows what is held";
    if (!taken || !c.remember)
        EXPECT_EQ(home.readFile(QStringLiteral("home/Settings.ini")), before) << "nothing was saved";
    else
        EXPECT_FALSE(home.readFile(QStringLiteral("home/Settings.ini")).contains(c.password))
            << "the password is saved scrambled";

    KevaContext& restarted = home.newContext();
    LoadSettings(restarted, LoadReason::Startup);
    EXPECT_EQ(restarted.dialogSettings.lstLogin, c.logins) << "the next start reads what was saved";
}

const SiteLogin kTyped {QStringLiteral("new.example"), QStringLiteral("user"), QStringLiteral("s3cret")};
const SiteLogin kReplaced {QStringLiteral("files.example"), QStringLiteral("user"), QStringLiteral("s3cret")};

INSTANTIATE_TEST_SUITE_P(
    Cases, LoginPrompt,
    testing::Values(
        LoginPromptCase {"OkUnticked", "new.example", "user", "s3cret", false, false, "", {kStored}},
        LoginPromptCase {"OkTicked", "new.example", "user", "s3cret", true, false, "", {kStored, kTyped}},
        LoginPromptCase {"OkTickedReplacesItsServer", "files.example", "user", "s3cret", true, false, "", {kReplaced}},
        LoginPromptCase {"EmptyUserName", "new.example", " ", "s3cret", true, false, "need user", {kStored}},
        LoginPromptCase {"ControlCharacterTicked",
                         "new.example",
                         "user",
                         "s3\tcret",
                         true,
                         false,
                         "no control characters",
                         {kStored}},
        LoginPromptCase {"Cancel", "new.example", "user", "s3cret", true, true, "", {kStored}}),
    CaseName());

} // namespace
