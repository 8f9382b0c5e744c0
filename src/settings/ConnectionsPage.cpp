#include "settings/ConnectionsPage.h"

#include "settings/RpcSecret.h"
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
    io.read("RpcEnabled");
    chkRpc = io.settings.RpcEnabled;
    txtRpcPort = io.read("RpcPort");
    txtRpcSecret = io.read("RpcSecret");
    txtRpcAddress = io.read("RpcListenAddress");
    txtRpcOrigins = io.read("RpcAllowedOrigins");
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
    io.write("RpcEnabled", chkRpc);
    io.write("RpcPort", txtRpcPort);
    io.write("RpcSecret", txtRpcSecret);
    io.write("RpcListenAddress", txtRpcAddress);
    io.write("RpcAllowedOrigins", txtRpcOrigins);
}

void ConnectionsPage::setRpc(bool checked)
{
    chkRpc = checked;
    if (checked && txtRpcSecret.isEmpty())
        txtRpcSecret = makeRpcSecret();
}
