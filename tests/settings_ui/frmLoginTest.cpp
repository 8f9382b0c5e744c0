#include "settings/ui/frmLogin.h"

#include "settings/KevaContext.h"
#include "support/TestHome.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(frmLogin, AnswersTheLoginTypedIntoItsBoxes)
{
    TestHome home;
    KevaContext& context = home.newContext();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<frmLogin*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = true;
        auto* password = dialog->findChild<QLineEdit*>(QStringLiteral("txtPassword"));
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);
        QTest::keyClicks(dialog->findChild<QLineEdit*>(QStringLiteral("txtUserName")), QStringLiteral("user"));
        QTest::keyClicks(password, QStringLiteral("s3cret"));
        dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    const std::optional<SiteLogin> login = frmLogin::ask(context, QStringLiteral("files.example"));
    EXPECT_TRUE(seen) << "the dialog was not shown modally";
    EXPECT_EQ(login, (SiteLogin {QStringLiteral("files.example"), QStringLiteral("user"), QStringLiteral("s3cret")}));
    EXPECT_TRUE(context.dialogSettings.lstLogin.isEmpty()) << "an unticked login is not remembered";
}

} // namespace
