#pragma once

#include "JobRunner.h"
#include "TestFiles.h"

#include "support/TestHome.h"

#include <gtest/gtest.h>

#include <memory>

inline constexpr qint64 kMiB = 1048576;

class DownloadJob;
class KevaContext;
class NginxServer;

// A program start of its own for each engine test: settings loaded, the
// English texts in place, and a runner for jobs.
class EngineTest : public testing::Test {
protected:
    void SetUp() override;

    QString saveTo(const QString& name) const { return home.path(name); }
    QString stored(const char* name) const;
    void store(const char* name, const QString& text);
    // The saved file has the bytes of the served one.
    bool sameAsServed(const QString& saved, const QString& served) const;
    // Ticks `job`'s watchdog, with no time passing, until it restarts the
    // job (at most 20 ticks after the first, which only notes the position).
    static void tickWatchdogUntilItRestarts(DownloadJob& job);
    // Starts `name` from `nginx`'s location "/slow/" and lets `bytes` arrive.
    DownloadJob* startSlow(const NginxServer& nginx, const QString& name, qint64 bytes);

    TestHome home;
    KevaContext* context = nullptr;
    std::unique_ptr<JobRunner> runner;
    TestFiles& files = TestFiles::registered();
};
