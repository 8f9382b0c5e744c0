#include "capture/CBrowserHelper.h"
#include "settings/CRegister.h"
#include "settings/SettingsDefaults.h"

#include "support/CaseName.h"
#include "support/RegistryRootNames.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>

namespace {

// Values of the helper's own key; nullptr leaves a value out.
struct FilterCase {
    const char* name;
    const char* url;
    const char* clickCapture = nullptr;
    const char* monitorTypes = nullptr;
    const char* monitorServer = nullptr;
    const char* browserFileName = nullptr; // for a download the browser started
    bool kevaReceives = true;              // what the hand-off reports
    bool handedOff = false;                // the filter let the URL through to the hand-off
    bool taken = false;
};

class NavigationFilter : public testing::TestWithParam<FilterCase> {
protected:
    void store(const char* name, const char* value)
    {
        if (value)
            CRegister(registry).REGSaveSetting(HKLM, CBrowserHelper::kKey, QString::fromUtf8(name),
                                               QString::fromUtf8(value));
    }

    TestHome home;
    Registry registry {home.registryFolder()};
};

// Every step of the filter, in its order: the switch, the scheme, the
// extension, its characters, the monitored types, the ignored servers, and
// the hand-off, which decides in the end.
TEST_P(NavigationFilter, TakesOnlyWhatEveryStepLetsThroughAndKevaReceives)
{
    const FilterCase& c = GetParam();
    store("ClickCapture", c.clickCapture);
    store("MonitorTypes", c.monitorTypes);
    store("MonitorServer", c.monitorServer);
    QStringList handed;
    BrowserSession session;
    session.fileName = QString::fromUtf8(c.browserFileName);
    const CBrowserHelper helper(registry, [&](const QString& url, const BrowserSession& handedSession) {
        handed.append(url);
        EXPECT_EQ(handedSession, session) << "the session goes with the URL";
        return c.kevaReceives;
    });

    EXPECT_EQ(helper.moBrowser_BeforeNavigate2(QString::fromUtf8(c.url), session), c.taken);
    EXPECT_EQ(handed, c.handedOff ? QStringList {QString::fromUtf8(c.url)} : QStringList())
        << "handed over once and unchanged, or not at all";
}

INSTANTIATE_TEST_SUITE_P(
    Steps, NavigationFilter,
    testing::Values(
        // The switch, read as a number: 0 alone switches capture off.
        FilterCase {.name = "CaptureOnWhenNotSet", .url = "http://h/a.zip", .handedOff = true, .taken = true},
        FilterCase {.name = "CaptureOffAtZero", .url = "http://h/a.zip", .clickCapture = "0"},
        FilterCase {.name = "CaptureOffAtZeroWritten00", .url = "http://h/a.zip", .clickCapture = " 0.0 "},
        FilterCase {
            .name = "CaptureOnAtOne", .url = "http://h/a.zip", .clickCapture = "1", .handedOff = true, .taken = true},
        FilterCase {.name = "CaptureOnAtMinusOne",
                    .url = "http://h/a.zip",
                    .clickCapture = "-1",
                    .handedOff = true,
                    .taken = true},
        FilterCase {.name = "CaptureOnAtFalseWhichIsNoNumber",
                    .url = "http://h/a.zip",
                    .clickCapture = "False",
                    .handedOff = true,
                    .taken = true},
        FilterCase {.name = "CaptureOnAtText",
                    .url = "http://h/a.zip",
                    .clickCapture = "off",
                    .handedOff = true,
                    .taken = true},
        // The scheme: http (https with it) and ftp, any letter case.
        FilterCase {.name = "Https", .url = "https://h/a.zip", .handedOff = true, .taken = true},
        FilterCase {.name = "Ftp", .url = "ftp://h/pub/a.zip", .handedOff = true, .taken = true},
        FilterCase {.name = "CapitalsHandedOverUnchanged",
                    .url = "HTTP://HOST.EXAMPLE/DIR/A.ZIP",
                    .handedOff = true,
                    .taken = true},
        FilterCase {.name = "FileScheme", .url = "file:///tmp/a.zip"},
        FilterCase {.name = "LocalPage", .url = "res://shdoclc.dll/navcancl.htm#http://h/a.zip"},
        FilterCase {.name = "DataScheme", .url = "data:application/zip,a.zip"},
        FilterCase {.name = "SchemeOnlyInside", .url = "view-source:http://h/a.zip"},
        // The extension of the file name.
        FilterCase {.name = "Folder", .url = "http://h/dir/"}, FilterCase {.name = "ServerAlone", .url = "http://h"},
        FilterCase {.name = "NoDot", .url = "http://h/dir/readme"},
        FilterCase {.name = "EndsWithDot", .url = "http://h/dir/a."},
        FilterCase {.name = "ScriptWithQuery", .url = "http://h/file.php?id=3"},
        FilterCase {.name = "QueryNamingAZip", .url = "http://h/get.php?f=a.zip", .handedOff = true, .taken = true},
        FilterCase {.name = "ExtensionWithPipe", .url = "http://h/a.zip|b"},
        // A download the browser started: an address without a usable
        // extension is judged by the browser's file name; one with an
        // extension by its own.
        FilterCase {.name = "BrowsersFileNameOfAMonitoredType",
                    .url = "http://h/download.php?id=7",
                    .browserFileName = "report.zip",
                    .handedOff = true,
                    .taken = true},
        FilterCase {.name = "BrowsersFileNameOfAnUnmonitoredType",
                    .url = "http://h/download.php?id=7",
                    .monitorTypes = ".PDF",
                    .browserFileName = "report.zip"},
        FilterCase {.name = "UrlsOwnExtensionBeforeTheBrowsersName",
                    .url = "http://h/page.html",
                    .browserFileName = "report.zip"},
        // The monitored types of the helper's own key, else the defaults.
        FilterCase {.name = "PageIsNoMonitoredType", .url = "http://h/index.html"},
        FilterCase {.name = "PdfNotInTheDefaults", .url = "http://h/doc.pdf"},
        FilterCase {.name = "PdfAddedToTheKey",
                    .url = "http://h/doc.pdf",
                    .monitorTypes = ".ZIP; .PDF",
                    .handedOff = true,
                    .taken = true},
        FilterCase {.name = "ZipLeftOutOfTheKey", .url = "http://h/a.zip", .monitorTypes = ".PDF"},
        FilterCase {.name = "WildcardType", .url = "http://h/part.r07", .handedOff = true, .taken = true},
        FilterCase {.name = "EmptyValueMeansTheDefaults",
                    .url = "http://h/a.zip",
                    .monitorTypes = "",
                    .handedOff = true,
                    .taken = true},
        // The ignored servers.
        FilterCase {.name = "DefaultIgnoredServer", .url = "http://deb.debian.org/debian/a.zip"},
        FilterCase {.name = "DefaultIgnoredDomain", .url = "http://de.archive.ubuntu.com/a.zip"},
        FilterCase {
            .name = "ServerIgnoredByTheKey", .url = "http://127.0.0.1:8080/a.zip", .monitorServer = "127.0.0.1:8080"},
        FilterCase {.name = "OtherPortNotIgnored",
                    .url = "http://127.0.0.1:8081/a.zip",
                    .monitorServer = "127.0.0.1:8080",
                    .handedOff = true,
                    .taken = true},
        FilterCase {.name = "KeysServersReplaceTheDefaults",
                    .url = "http://deb.debian.org/a.zip",
                    .monitorServer = "other.example",
                    .handedOff = true,
                    .taken = true},
        // The hand-off: without a KEVA that receives it, the browser keeps the URL.
        FilterCase {.name = "KevaNotRunning", .url = "http://h/a.zip", .kevaReceives = false, .handedOff = true}),
    CaseName());

// The switch is read once, when the helper is made (a browser window opened
// afterwards sees a change); the lists at every URL.
TEST(NavigationFilterTiming, TheSwitchIsReadOnceTheListsAtEveryUrl)
{
    TestHome home;
    Registry registry(home.registryFolder());
    CRegister reg(registry);
    int handOffs = 0;
    const CBrowserHelper helper(registry, [&](const QString&, const BrowserSession&) { return ++handOffs > 0; });
    ASSERT_FALSE(helper.captureOff());

    reg.REGSaveSetting(HKLM, CBrowserHelper::kKey, QStringLiteral("ClickCapture"), QStringLiteral("0"));
    EXPECT_TRUE(helper.moBrowser_BeforeNavigate2(QStringLiteral("http://h/a.zip")));
    EXPECT_TRUE(CBrowserHelper(registry, [](const QString&, const BrowserSession&) { return true; }).captureOff());

    reg.REGSaveSetting(HKLM, CBrowserHelper::kKey, QStringLiteral("MonitorTypes"), QStringLiteral(".PDF"));
    EXPECT_FALSE(helper.moBrowser_BeforeNavigate2(QStringLiteral("http://h/a.zip")));
    EXPECT_TRUE(helper.moBrowser_BeforeNavigate2(QStringLiteral("http://h/a.pdf")));
    EXPECT_EQ(handOffs, 2);
}

// KEVA's own lists are not the helper's: a type KEVA monitors is no reason
// for the helper to take it.
TEST(NavigationFilterTiming, KevasSettingsKeyIsNotRead)
{
    TestHome home;
    Registry registry(home.registryFolder());
    CRegister reg(registry);
    reg.REGSaveSetting(HKLM, SettingsDefaults::kSettingsKey, QStringLiteral("MonitorTypes"), QStringLiteral(".PDF"));
    reg.REGSaveSetting(HKLM, SettingsDefaults::kSettingsKey, QStringLiteral("ClickCapture"), QStringLiteral("0"));
    const CBrowserHelper helper(registry, [](const QString&, const BrowserSession&) { return true; });
    EXPECT_FALSE(helper.captureOff());
    EXPECT_FALSE(helper.moBrowser_BeforeNavigate2(QStringLiteral("http://h/a.pdf")));
    EXPECT_TRUE(helper.moBrowser_BeforeNavigate2(QStringLiteral("http://h/a.zip")));
}

} // namespace
