#pragma once

// The dialog's Apply button: enabled by a change, disabled when the dialog is
// activated and after the settings were stored.
class ApplyState {
public:
    void changed() { Command1Enabled = true; }
    void reset() { Command1Enabled = false; }

    bool Command1Enabled = false;
};
