#pragma once

#include <cstddef>

// The bounds the server keeps to, whatever clients do.
struct ServerLimits {
    // A connection is closed when, for this long, it sends no complete
    // request head, takes none of its answer, or sits idle between requests.
    int timeoutMs = 30000;
    // A request head must be complete this long after its first byte came,
    // plus a second for every kilobyte of it that came: a head trickled in to
    // hold the connection is closed long before timeoutMs, one sent over a
    // slow line is not.
    int headTimeoutMs = 5000;
    // After the last answer on a connection the server ends, it stops sending
    // and reads and drops what the client still sends, until the client
    // closes, nothing came for this long, or timeoutMs has passed. Closing
    // with a request's rest unread would make the kernel reset the connection,
    // and the client could lose the answer.
    int lingerMs = 5000;
    // With this many connections open, a new one takes the place of one
    // that is not being answered (HttpServer says which); with none such,
    // the new one is closed at once.
    std::size_t maxConnections = 4096;
    // A new connection from a client address that already has this many open
    // is closed at once, so one client cannot take every connection.
    std::size_t maxConnectionsPerAddress = 256;
};
