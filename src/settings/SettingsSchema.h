#pragma once

#include "settings/SettingEntry.h"

#include <QList>
#include <QString>

// The one table of the values under the settings key. The first run, the
// loader, the dialog's load and its store all take names, defaults and units
// from here.
class SettingsSchema {
public:
    static const QList<SettingEntry>& all();
    // The entry of a value; a name that is not in the table is a programming
    // error and aborts.
    static const SettingEntry& find(const QString& name);
    static QString segmentName(int index); // "SegmentSize1" to "SegmentSize9"

    // A stored text as the dialog shows it ("300" seconds as "5" minutes); a
    // text that is no number is shown as it is.
    static QString shown(const SettingEntry& entry, const QString& stored);
    // What the dialog stores for a typed text ("5" minutes as "300"); a text
    // that is no number is stored as typed.
    static QString stored(const SettingEntry& entry, const QString& typed);
    // What the dialog stores for a check box or an option button.
    static QString stored(const SettingEntry& entry, bool checked);
};
