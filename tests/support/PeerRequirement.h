#pragma once

#include <gtest/gtest.h>

#include <QString>

#include <string>

class PeerServer;

// Whether a test can go on with its peer server. A peer that is not installed
// skips the test on a developer's machine, with the package to install; on CI
// (the environment variable CI is "true") it fails the test, because CI must
// have every peer. A peer that is installed but does not start always fails.
struct PeerRequirement {
    enum class Outcome { Ready, Skip, Fail };

    Outcome outcome = Outcome::Ready;
    std::string message;

    static PeerRequirement decide(bool started, bool installed, bool onCi, const QString& package,
                                  const QString& errorText);
    // Starts the server and decides.
    static PeerRequirement start(PeerServer& server);
};

// Starts `server` at the top of a test (or in SetUp) and skips or fails the
// test as PeerRequirement decides.
#define KEVA_REQUIRE_PEER(server)                                                                                      \
    do {                                                                                                               \
        const PeerRequirement kevaPeerRequirement = PeerRequirement::start(server);                                    \
        if (kevaPeerRequirement.outcome == PeerRequirement::Outcome::Skip) {                                           \
            GTEST_SKIP() << kevaPeerRequirement.message;                                                               \
        }                                                                                                              \
        if (kevaPeerRequirement.outcome == PeerRequirement::Outcome::Fail) {                                           \
            FAIL() << kevaPeerRequirement.message;                                                                     \
        }                                                                                                              \
    } while (false)
