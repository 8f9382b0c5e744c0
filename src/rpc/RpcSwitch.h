#pragma once

#include "rpc/RpcCommandLine.h"

class KevaContext;
class RpcServer;

// Starts and stops the remote-control port as the settings say, and as this
// run's command line adds to them (--enable-rpc turns it on for the run; a
// port or secret given there wins over the stored one). Tells the user when
// the port cannot listen; it is never moved to another port.
class RpcSwitch {
public:
    RpcSwitch(KevaContext& context, RpcServer& server, RpcCommandLine commandLine);

    // At start and after the settings dialog stored its values: starts,
    // restarts (when a value changed) or stops the server.
    void apply();

private:
    KevaContext& context_;
    RpcServer& server_;
    const RpcCommandLine commandLine_;
};
