#include "intake/SaveLocationRules.h"

#include "engine/DownloadWindows.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"

#include "support/CaseName.h"
#include "support/TestHome.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

const QDate kDay(2026, 12, 6);

class SaveRules : public testing::Test {
protected:
    void SetUp() override
    {
        context = &home.newContext();
        LoadSettings(*context, LoadReason::Startup);
        context->dialogSettings.lastSavePath = home.path(QStringLiteral("last/prev.bin"));
        windows = std::make_unique<DownloadWindows>(*context, jobs);
        context->saveLocation = SaveLocationChoice {};
        context->saveLocation.SaveLastDir = false;
    }
    // Where the URL's job was started (or listed).
    QString savedTo(const QString& url)
    {
        SaveLocationRules(*context, *windows, [] { return kDay; }).apply(url);
        for (int index = 0; index < DownloadWindows::kSlots; ++index) {
            if (const DownloadJob* job = windows->slot(index); job && job->url() == url)
                return job->savePath();
        }
        return jobs.rowCount() ? QStringLiteral("listed:") + jobs.row(jobs.rowCount())->subItem(1) : QString();
    }
    QString h(const char* path) const { return home.path(QString::fromLatin1(path)); }

    TestHome home;
    KevaContext* context = nullptr;
    JobList jobs;
    std::unique_ptr<DownloadWindows> windows;
};

TEST_F(SaveRules, LastFolderAndSameFolder)
{
    context->saveLocation.SaveLastDir = true;
    EXPECT_EQ(savedTo(QStringLiteral("http://127.0.0.1:9/a.zip")), h("last/a.zip"));

    context->saveLocation = SaveLocationChoice {};
    context->saveLocation.SaveLastDir = false;
    context->saveLocation.SaveSameDir = true;
    context->saveLocation.TextSameDir = h("same"); // no trailing separator: one is added
    EXPECT_EQ(savedTo(QStringLiteral("http://127.0.0.1:9/b.zip")), h("same/b.zip"));
    context->saveLocation.TextSameDir.clear();
    EXPECT_EQ(savedTo(QStringLiteral("http://127.0.0.1:9/c.zip")), h("last/c.zip"));
}

TEST_F(SaveRules, ByFileTypeTable)
{
    context->saveLocation.SaveFileType = true;
    context->dialogSettings.lstFileType = {{QStringLiteral("zip"), h("Zips/")}, {QStringLiteral("*"), h("Other")}};
    EXPECT_EQ(savedTo(QStringLiteral("http://127.0.0.1:9/a.zip")), h("Zips/a.zip"));
    EXPECT_EQ(savedTo(QStringLiteral("http://127.0.0.1:9/A.ZIP")), h("Other/A.ZIP")) << "types compare with their case";
    EXPECT_EQ(savedTo(QStringLiteral("http://127.0.0.1:9/b.rar")), h("Other/b.rar"));
    context->dialogSettings.lstFileType.clear();
    EXPECT_EQ(savedTo(QStringLiteral("http://127.0.0.1:9/c.rar")), h("last/c.rar"));
}

struct InfoCase {
    const char* name;
    bool server, date, ext;
    const char* parent;
    const char* url;
    const char* expected;
};

class SaveRulesByInfo : public SaveRules, public testing::WithParamInterface<InfoCase> { };

TEST_P(SaveRulesByInfo, MakesTheSubFolder)
{
    const InfoCase& c = GetParam();
    context->saveLocation.SaveFileInfo = true;
    context->saveLocation.UseServer = c.server;
    context->saveLocation.UseDate = c.date;
    context->saveLocation.UseFileExt = c.ext;
    context->saveLocation.ParentDir = *c.parent ? home.path(QString::fromLatin1(c.parent)) : QString();
    QDir().mkpath(h("DL"));
    const QString expected = QString::fromLatin1(c.expected);
    EXPECT_EQ(savedTo(QString::fromLatin1(c.url)),
              expected.startsWith(QStringLiteral("listed:")) ? QStringLiteral("listed:") + h(c.expected + 7)
                                                             : h(c.expected));
    if (!expected.startsWith(QStringLiteral("listed:"))) {
        EXPECT_TRUE(QFileInfo(QFileInfo(h(c.expected)).absolutePath()).isDir());
    }
    // A second URL to the same folder reuses it.
    if (c.date && *c.parent) {
        EXPECT_EQ(savedTo(QStringLiteral("http://127.0.0.1:9/second.zip")), h("DL/6-12-2026/second.zip"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveRulesByInfo,
    testing::Values(
        InfoCase {"Date", false, true, false, "DL/", "http://127.0.0.1:9/a.zip", "DL/6-12-2026/a.zip"},
        InfoCase {"DateWithoutSeparator", false, true, false, "DL", "http://127.0.0.1:9/a.zip", "DL/6-12-2026/a.zip"},
        InfoCase {"ServerWithPort", true, false, false, "DL", "http://127.0.0.1:9/a.zip", "DL/127.0.0.1:9/a.zip"},
        InfoCase {"Extension", false, false, true, "DL", "http://127.0.0.1:9/a.ZIP", "DL/ZIP/a.ZIP"},
        InfoCase {"NoParentOnlyLists", false, true, false, "", "http://127.0.0.1:9/a.zip", "listed:last/a.zip"}),
    CaseName());

} // namespace
