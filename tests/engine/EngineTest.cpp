#include "EngineTest.h"

#include "engine/DownloadJob.h"
#include "settings/CRegister.h"
#include "support/NginxServer.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsDefaults.h"

#include <algorithm>

void EngineTest::SetUp()
{
    home.installLanguageFiles();
    context = &home.newContext();
    LoadSettings(*context, LoadReason::Startup);
    runner = std::make_unique<JobRunner>(*context);
}

QString EngineTest::stored(const char* name) const
{
    return CRegister(context->registry)
        .REGGetSetting(RegistryRoot::HKEY_LOCAL_MACHINE, SettingsDefaults::kSettingsKey, QString::fromLatin1(name));
}

void EngineTest::store(const char* name, const QString& text)
{
    CRegister(context->registry)
        .REGSaveSetting(RegistryRoot::HKEY_LOCAL_MACHINE, SettingsDefaults::kSettingsKey, QString::fromLatin1(name),
                        text);
}

DownloadJob* EngineTest::startSlow(const NginxServer& nginx, const QString& name, qint64 bytes)
{
    DownloadJob* job = runner->start(nginx.url(QStringLiteral("/slow/") + name).toString(), saveTo(name));
    EXPECT_TRUE(JobRunner::waitFor([&] { return job->TotalReceived() - 1 >= bytes; }, 30000));
    return job;
}

void EngineTest::expectRangesOrTakeOvers(const QStringList& asked, const QStringList& expected,
                                         const QStringList& ignored)
{
    for (const QString& range : expected)
        EXPECT_TRUE(asked.contains(range)) << range.toStdString() << " was not asked";
    const auto bounds = [](const QString& range) {
        const QStringList parts = range.mid(6).split(QLatin1Char('-'));
        return std::pair {parts[0].toLongLong(), parts[1].toLongLong()};
    };
    for (const QString& range : asked) {
        if (expected.contains(range) || ignored.contains(range))
            continue;
        const auto [first, last] = bounds(range);
        const bool inside = std::any_of(expected.begin(), expected.end(), [&](const QString& outer) {
            const auto [from, to] = bounds(outer);
            return first > from && last <= to;
        });
        EXPECT_TRUE(inside) << range.toStdString() << " is no take-over of a range asked";
    }
}

void EngineTest::tickWatchdogUntilItRestarts(DownloadJob& job)
{
    job.tmrReconnect_Timer();
    for (int ticks = 0; job.reconnectAttempts() == 0 && ticks < 20; ++ticks)
        job.tmrReconnect_Timer();
}

bool EngineTest::sameAsServed(const QString& saved, const QString& served) const
{
    return TestFiles::sha256(saveTo(saved)) == TestFiles::sha256(files.path(served));
}
