#pragma once

class KevaContext;

// Click capture on or off at once, from the tray menu or the settings dialog:
// stores ClickCapture, sets the record's field, and registers or removes the
// browser plug-in and the browser helper.
void SwitchClickCapture(KevaContext& context, bool on);
