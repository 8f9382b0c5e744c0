#include "settings/ConnectionsPage.h"

#include "settings/SettingsPageIO.h"

void ConnectionsPage::show(SettingsPageIO& io)
{
    txtTimeout = io.read("Timeout");
    io.read("StopResume");
    chkStopResume = io.settings.StopResume;
    txtTimeResume = io.read("TimeResume");
    txtTimeNoResume = io.read("TimeNoResume");
    io.read("Retry");
    chkRetry = io.settings.Retry;
    txtRetryTime = io.read("RetryTime");
    txtRetries = io.read("Retries");
    txtRollback = io.read("Rollback");
    txtSpeedLimit = io.read("SpeedLimit");
}

void ConnectionsPage::store(SettingsPageIO& io) const
{
    io.write("Timeout", txtTimeout);
    io.write("StopResume", chkStopResume);
    io.write("TimeResume", txtTimeResume);
    io.write("TimeNoResume", txtTimeNoResume);
    io.write("Retry", chkRetry);
    io.write("RetryTime", txtRetryTime);
    io.write("Retries", txtRetries);
    io.write("Rollback", txtRollback);
    io.write("SpeedLimit", txtSpeedLimit);
}
