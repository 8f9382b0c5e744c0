#pragma once

#include <QString>

struct AppSettings;
class SettingsPageIO;

// The information page: usage counters, the program folder and the version.
class InformationPage {
public:
    void show(SettingsPageIO& io, const QString& programFolder);
    // The counters as the settings record holds them now.
    void showCounters(const AppSettings& settings);

    QString lblRan, lblDownloads, lblBytes, lblLocation, lblVersion;
};
