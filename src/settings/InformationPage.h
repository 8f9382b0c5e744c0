#pragma once

#include <QString>

class SettingsPageIO;

// The information page: usage counters, the program folder and the version.
class InformationPage {
public:
    void show(SettingsPageIO& io, const QString& programFolder);

    QString lblRan, lblDownloads, lblBytes, lblLocation, lblVersion;
};
