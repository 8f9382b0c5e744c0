#pragma once

#include <QString>

class SettingsPageIO;

// The connections page: time-outs, stop and resume, retries, the rollback,
// the speed limit, each in the unit the page shows, and the remote-control
// port.
class ConnectionsPage {
public:
    void show(SettingsPageIO& io);
    void store(SettingsPageIO& io) const;

    QString txtTimeout;
    bool chkStopResume = false;
    QString txtTimeResume, txtTimeNoResume; // minutes
    bool chkRetry = false;
    QString txtRetryTime, txtRetries;
    QString txtRollback; // kilobytes
    // Kilobytes a second for all downloads together; 0: no limit.
    QString txtSpeedLimit;
    // The remote-control port.
    bool chkRpc = false;
    QString txtRpcPort, txtRpcSecret, txtRpcAddress, txtRpcOrigins;

    // Ticking the remote-control box the first time makes its secret.
    void setRpc(bool checked);
};
