#include "engine/DownloadJob.h"

#include "settings/KevaContext.h"
#include "settings/LoadSettings.h"

#include "support/TestHome.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

// The progress tick's arithmetic, on a job whose segment positions the test sets.
class DownloadJobTimers : public testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        context = &home.newContext();
        LoadSettings(*context, LoadReason::Startup);
        job = std::make_unique<DownloadJob>(*context, jobs);
        job->row = jobs.addRow({QStringLiteral("/d/f"), QStringLiteral("0%")});
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    TestHome home;
    KevaContext* context = nullptr;
    JobList jobs;
    std::unique_ptr<DownloadJob> job;
};

TEST_F(DownloadJobTimers, RateIsTheGrowthOfHalfASecondTimesTwo)
{
    job->ContentLength = 1000000;
    job->segments.layoutSingle(1000000);
    job->tmrUpdate_Timer();
    job->segments.SegPos[0] += 10240;
    job->tmrUpdate_Timer();
    EXPECT_EQ(job->view().lblTransferRate, QStringLiteral("20.00 KB /Second"));
    EXPECT_EQ(job->CurrentRate, 20480.0);
    EXPECT_EQ(job->view().lblRecievedSize, QStringLiteral("10.00 KB"));
    EXPECT_EQ(jobs.row(1)->subItem(4), QStringLiteral("10.00 KB"));
    EXPECT_EQ(job->view().lblElapsedTime, QStringLiteral("00:00:01"));
}

TEST_F(DownloadJobTimers, RateAndTimeLeftGoByTheLastSeconds)
{
    // A server that sends in bursts: 15000 and 5000 bytes in turn, every
    // half second, is steady at 20000 bytes a second.
    job->ContentLength = 10000000;
    job->segments.layoutSingle(10000000);
    job->tmrUpdate_Timer();
    EXPECT_EQ(job->view().lblTimeRemaining, QString()) << "no time left before there is a rate";
    QStringList rates;
    QStringList left;
    for (int tick = 0; tick < 12; ++tick) {
        job->segments.SegPos[0] += tick % 2 == 0 ? 15000 : 5000;
        job->tmrUpdate_Timer();
        if (tick >= 5) {
            rates.append(job->view().lblTransferRate);
            left.append(job->view().lblTimeRemaining);
        }
    }
    for (const QString& rate : rates)
        EXPECT_EQ(rate, QStringLiteral("19.53 KB /Second"));
    // 10,000,000 bytes less 60,000 received, at 20,000 a second: 497 s;
    // three seconds later 494 s.
    EXPECT_EQ(left.first(), QStringLiteral("00:08:17"));
    EXPECT_EQ(left.last(), QStringLiteral("00:08:14"));
}

TEST_F(DownloadJobTimers, TimeLeftIsTheRestAtTheRate)
{
    job->ContentLength = 10000;
    job->segments.layoutSingle(10000);
    job->segments.SegPos[0] = 8901;
    job->tmrUpdate_Timer();
    job->segments.SegPos[0] = 9001;
    job->tmrUpdate_Timer();
    EXPECT_EQ(job->view().lblTimeRemaining, QStringLiteral("00:00:05")) << "1000 bytes at 200 a second";
}

TEST_F(DownloadJobTimers, UpdateShowsTheWholeAndEachSegment)
{
    job->FileName = QStringLiteral("f.bin");
    job->ContentLength = 30000;
    job->segments.layoutSegments(30000, 3);
    job->segments.SegPos[0] = 5001;
    job->segments.SegPos[1] = 10001 + 10000;
    job->Update(1);
    EXPECT_EQ(job->view().ProgressBar1, 50);
    EXPECT_EQ(job->view().lblPer, QStringLiteral("50%"));
    EXPECT_EQ(job->view().caption, QStringLiteral("f.bin [50%]"));
    EXPECT_EQ(job->view().PVProgressBar[1], 100);
    EXPECT_EQ(jobs.row(1)->subItem(2), QStringLiteral("50%"));
    job->Update(0);
    EXPECT_EQ(job->view().PVProgressBar[0], 50) << "a segment's bar shows its own share";
}

TEST_F(DownloadJobTimers, WatchdogCountsFromTheThirtySecondInterval)
{
    job->ContentLength = 10000;
    job->segments.layoutSingle(10000);
    job->tmrReconnect_Timer(); // notes where the transfer stands
    job->tmrReconnect_Timer(); // nothing new: the 100 ms interval rounds to no stall
    EXPECT_EQ(job->stalledSeconds(), 0);
    EXPECT_EQ(job->watchdogIntervalMs(), 30000);
    job->tmrReconnect_Timer();
    job->tmrReconnect_Timer();
    EXPECT_EQ(job->stalledSeconds(), 60);
    EXPECT_EQ(job->reconnectAttempts(), 0);
    job->segments.SegPos[0] += 10;
    job->tmrReconnect_Timer();
    EXPECT_EQ(job->stalledSeconds(), 0) << "progress resets the count";
}

} // namespace
