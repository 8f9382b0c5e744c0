#include "settings/InformationPage.h"

#include "core/Formatting.h"
#include "settings/SettingsPageIO.h"

void InformationPage::show(SettingsPageIO& io, const QString& programFolder)
{
    lblLocation = programFolder;
    lblVersion = QStringLiteral("%1.%2").arg(KEVA_VERSION_MAJOR).arg(KEVA_VERSION_MINOR);
    io.read("Downloads");
    io.read("AllBytes");
    lblRan = QString::number(io.settings.RunTimes);
    lblDownloads = QString::number(io.settings.Downloads);
    lblBytes = FormatSize(io.settings.AllBytes);
}
