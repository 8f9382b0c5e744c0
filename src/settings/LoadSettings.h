#pragma once

class KevaContext;

enum class LoadReason {
    Startup, // a program start: counted in RunTimes
    Reload,  // after the settings dialog stored new values
};

// Fills the settings record from the store. On the very first start it writes
// every first-run value; on later starts it counts the start in RunTimes.
void LoadSettings(KevaContext& context, LoadReason reason);
