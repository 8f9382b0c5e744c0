#pragma once

#include <QString>
#include <QStringList>

// The registry key of the settings and the values written on the first run.
namespace SettingsDefaults {

// Under HKEY_LOCAL_MACHINE.
inline const QString kSettingsKey = QStringLiteral("\\Software\\Quillspan Software\\KEVA 1.0\\");

inline const QString kMonitorTypes = QStringLiteral(
    ".ZIP; .EXE; .BIN; .GZ; .Z; .TAR; .ARJ; .LZH; .SIT; .HQX; .FML; .TGZ; .GRS; .MP3; .RAR; "
    ".R0?; .R1?; .ACE; .C0?; .C1?; .W0?;");

// Servers that are never captured: the system's security updates and package
// mirror, the office suite's download site (exact host names), the system's
// archive mirrors (a "*." domain) and a vendor's shop (a "*" host suffix).
// Their downloads belong to the package manager or the vendor's own tools.
inline const QString kMonitorServer = QStringLiteral(
    "security.debian.org ; deb.debian.org ; download.documentfoundation.org ; *.archive.ubuntu.com ; "
    "*shop.canonical.com");

// SegmentSize1 to SegmentSize9 as stored, in bytes.
inline const QStringList kSegmentSizes = {
    QStringLiteral("2097152"),  QStringLiteral("5242880"),  QStringLiteral("5242880"),
    QStringLiteral("10485760"), QStringLiteral("10485760"), QStringLiteral("15728640"),
    QStringLiteral("15728640"), QStringLiteral("20971520"), QStringLiteral("20971520"),
};

inline const QString kTextCustom = QStringLiteral("%M%%D%%Y%");

} // namespace SettingsDefaults
