#include "EngineTest.h"

#include "engine/DownloadJob.h"
#include "settings/CRegister.h"
#include "support/NginxServer.h"
#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"
#include "settings/SettingsDefaults.h"

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
    EXPECT_TRUE(JobRunner::waitFor([&] { return job->receivedBytes() >= bytes; }, 30000));
    return job;
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
