#include "settings/InformationPage.h"

#include "core/Formatting.h"
#include "core/ProgramVersion.h"
#include "settings/SettingsPageIO.h"

void InformationPage::show(SettingsPageIO& io, const QString& programFolder)
{
    lblLocation = programFolder;
    lblVersion = ProgramVersion();
    io.read("Downloads");
    io.read("AllBytes");
    showCounters(io.settings);
}

void InformationPage::showCounters(const AppSettings& settings)
{
    lblRan = QString::number(settings.RunTimes);
    lblDownloads = QString::number(settings.Downloads);
    lblBytes = FormatSize(settings.AllBytes);
}
