#include "mainwin/AboutState.h"

#include "settings/KevaContext.h"

#include "support/CaseName.h"
#include "support/RegistryRootNames.h"
#include "support/TestHome.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

struct SysInfoCase {
    const char* name;
    bool pathValueNamesAFile;  // "PATH" under the MSINFO key
    bool toolsFolderHoldsIt;   // "MSINFO" under the tools-location key, + "/MSINFO32.EXE"
    QStringList installed;     // desktop programs on the PATH
    QStringList expectedStart; // program and arguments; empty: the message instead
};

class AboutSystemInformation : public testing::TestWithParam<SysInfoCase> {
protected:
    TestHome home;
};

TEST_P(AboutSystemInformation, StartsTheFirstProgramThatExists)
{
    const SysInfoCase& c = GetParam();
    home.writeFile(QStringLiteral("home/Lang/English.ini"), "[KEVA]\n11001=No system information\n");
    home.writeFile(QStringLiteral("tools/msinfo32"), "");
    home.writeFile(QStringLiteral("shared/MSINFO32.EXE"), "");
    KevaContext& context = home.newContext();
    context.registry.writeValue(
        HKLM, AboutState::kMsinfoKey, QStringLiteral("PATH"),
        home.path(c.pathValueNamesAFile ? QStringLiteral("tools/msinfo32") : QStringLiteral("tools/gone")));
    context.registry.writeValue(HKLM, AboutState::kToolsLocationKey, QStringLiteral("MSINFO"),
                                home.path(c.toolsFolderHoldsIt ? QStringLiteral("shared") : QStringLiteral("tools")));
    QStringList asked;
    AboutState about(context, [&](const QString& name) {
        asked.append(name);
        return c.installed.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
    });

    about.cmdSysInfo_Click();
    QStringList expected;
    for (const QString& word : c.expectedStart)
        expected.append(word.startsWith(QLatin1Char('@')) ? home.path(word.mid(1)) : word);
    if (expected.isEmpty()) {
        EXPECT_TRUE(home.shell.started.isEmpty());
        ASSERT_EQ(home.prompter.shown.size(), 1);
        EXPECT_EQ(home.prompter.shown[0].text, QStringLiteral("No system information"));
        EXPECT_EQ(home.prompter.shown[0].caption, QStringLiteral("Quillspan"));
        EXPECT_EQ(home.prompter.shown[0].icon, Prompter::Icon::Exclamation);
        EXPECT_EQ(asked,
                  (QStringList {QStringLiteral("kinfocenter"), QStringLiteral("gnome-control-center"),
                                QStringLiteral("hardinfo")}));
    } else {
        EXPECT_TRUE(home.prompter.shown.isEmpty());
        ASSERT_EQ(home.shell.started.size(), 1);
        EXPECT_EQ(home.shell.started[0], expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AboutSystemInformation,
    testing::Values(
        SysInfoCase {"RecordedPath", true, true, {QStringLiteral("hardinfo")}, {QStringLiteral("@tools/msinfo32")}},
        SysInfoCase {
            "ToolsLocation", false, true, {QStringLiteral("hardinfo")}, {QStringLiteral("@shared/MSINFO32.EXE")}},
        SysInfoCase {"KdeFirst",
                     false,
                     false,
                     {QStringLiteral("hardinfo"), QStringLiteral("kinfocenter")},
                     {QStringLiteral("/usr/bin/kinfocenter")}},
        SysInfoCase {"GnomePanel",
                     false,
                     false,
                     {QStringLiteral("gnome-control-center"), QStringLiteral("hardinfo")},
                     {QStringLiteral("/usr/bin/gnome-control-center"), QStringLiteral("info-overview")}},
        SysInfoCase {"Hardinfo", false, false, {QStringLiteral("hardinfo")}, {QStringLiteral("/usr/bin/hardinfo")}},
        SysInfoCase {"NoneSaysSo", false, false, {}, {}}),
    CaseName());

TEST(AboutState, ShowsTheVersionAndTheProgramFolder)
{
    TestHome home;
    AboutState about(home.newContext());
    EXPECT_EQ(about.lblVersion, QStringLiteral("1.0"));
    EXPECT_EQ(about.lblLocation, home.programFolder());
    EXPECT_EQ(about.caption(QStringLiteral("cmdOK")), QStringLiteral("OK"));
}

TEST(AboutState, TakesTheLanguageTextsAndArabicIsRightToLeft)
{
    TestHome home;
    home.writeFile(QStringLiteral("home/Lang/Arabic.ini"), "[KEVA]\n02001=Arabic about\n02006=Arabic OK\n");
    KevaContext& context = home.newContext();
    AboutState about(context);
    context.text.setLanguageFile(QStringLiteral("Arabic.ini"));
    about.applyCaptions();
    EXPECT_TRUE(about.rightToLeft());
    EXPECT_EQ(about.caption(QStringLiteral("frmAbout")), QStringLiteral("Arabic about"));
    EXPECT_EQ(about.caption(QStringLiteral("cmdOK")), QStringLiteral("Arabic OK"));
    EXPECT_EQ(about.caption(QStringLiteral("cmdSysInfo")), QStringLiteral("&System Info..."))
        << "built-in where the file has none";
}

} // namespace
