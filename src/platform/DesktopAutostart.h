#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The desktop session's autostart entries: one "<name>.desktop" file per
// program in the autostart folder, which a freedesktop.org session reads at
// log-in and whose Exec line it runs. Entries are written atomically.
class DesktopAutostart {
public:
    explicit DesktopAutostart(QString folder);

    // $XDG_CONFIG_HOME/autostart, XDG_CONFIG_HOME defaulting to ~/.config.
    static QString defaultFolder();

    QString entryPath(const QString& name) const;

    // Writes the entry that starts `program` with `arguments`; makes the
    // folder when it is missing. False when the file could not be written.
    bool write(const QString& name, const QString& program, const QStringList& arguments) const;
    // Removes the entry; true when it is gone (also when there was none).
    bool remove(const QString& name) const;

    // The entry's text: the Exec line quoted as the desktop entry format asks.
    static QByteArray entryText(const QString& name, const QString& program, const QStringList& arguments);

private:
    QString folder_;
};
