#pragma once

#include <cstddef>

// The bounds the server keeps to, whatever clients do.
struct ServerLimits {
    // A connection is closed when, for this long, it sends no complete
    // request head, takes none of its answer, or sits idle between requests.
    int timeoutMs = 30000;
    // With this many connections open, a new one takes the place of the
    // connection that has waited longest for a request; with none waiting,
    // the new one is closed at once.
    std::size_t maxConnections = 4096;
    // A new connection from a client address that already has this many open
    // is closed at once, so one client cannot take every connection.
    std::size_t maxConnectionsPerAddress = 256;
};
