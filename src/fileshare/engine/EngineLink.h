#pragma once

#include <cstdint>
#include <optional>

// Vantrel's way to its server engine: find the engine's window, starting the
// engine when there is none, and send it a message synchronously.
class EngineLink {
public:
    virtual ~EngineLink() = default;
    // True when the engine's window is there, after starting the engine if needed.
    virtual bool findOrStart() = 0;
    // True when the engine's window is there; starts nothing.
    virtual bool exists() = 0;
    // The engine's answer, or nothing when the message was not delivered.
    virtual std::optional<std::int64_t> send(std::uint32_t message, std::int64_t wParam) = 0;
};
