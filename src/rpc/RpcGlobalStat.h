#pragma once

#include <QtGlobal>

// The whole download list at a glance (aria2.getGlobalStat).
struct RpcGlobalStat {
    qint64 downloadSpeed = 0; // bytes a second, all downloads together
    int numActive = 0;
    int numWaiting = 0;
    int numStopped = 0;      // the ended downloads still listed
    int numStoppedTotal = 0; // every download that ended in this run
};
