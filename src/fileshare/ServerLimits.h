#pragma once

#include <cstddef>

// The bounds the server keeps to, whatever clients do.
struct ServerLimits {
    // A connection is closed when, for this long, it sends no complete
    // request head, takes none of its answer, or sits idle between requests.
    int timeoutMs = 30000;
    // Connections beyond this many are closed at once.
    std::size_t maxConnections = 4096;
};
