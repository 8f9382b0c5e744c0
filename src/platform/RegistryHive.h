#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The content of one hive file: keys with their text values, in REGEDIT4 syntax.
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\Software\Quillspan Software\KEVA 1.0]
//   "Timeout"="60"
//   @="the default value"
//
// Key and value names compare without regard to letter case and keep the case
// they were created with. Lines that do not parse (a file damaged by hand, a
// line cut short) are kept verbatim where they stood, so writing the hive back
// never throws away what could not be read.
class RegistryHive {
public:
    explicit RegistryHive(QString rootName);

    static RegistryHive parse(const QString& rootName, const QByteArray& text);
    QByteArray serialize() const;

    // An empty value name stands for the key's default value.
    std::optional<QString> value(const QStringList& keyPath, const QString& name) const;
    bool hasKey(const QStringList& keyPath) const;
    // Names of the direct subkeys, in file order.
    QStringList subkeys(const QStringList& keyPath) const;

    // Creates the key and any missing key above it.
    void createKey(const QStringList& keyPath);
    void setValue(const QStringList& keyPath, const QString& name, const QString& data);
    bool removeValue(const QStringList& keyPath, const QString& name);
    // Removes a key that has no subkeys, with its values.
    bool removeKey(const QStringList& keyPath);

    // Lines that did not parse and are carried along unread.
    int unreadableLineCount() const;

private:
    struct Line {
        bool readable = true;
        QByteArray raw; // the line as found, when it is not readable
        QString name;   // value name; empty for the default value
        QString data;
    };
    struct Key {
        QStringList path;
        QList<Line> lines;
        // A section that could not be read (a damaged header, another root):
        // its header and lines are kept verbatim and never looked into.
        bool opaque = false;
    };

    Key* findKey(const QStringList& keyPath);
    const Key* findKey(const QStringList& keyPath) const;
    Key& keyForParsing(const QStringList& keyPath);
    static void storeValue(Key& key, const QString& name, const QString& data);

    QString rootName_;
    QList<QByteArray> preamble_;
    QList<Key> keys_;
};
