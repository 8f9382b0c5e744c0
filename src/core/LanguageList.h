#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The languages offered by the main window's picker: one item per language
// file of the language folder ("German.ini" is "German"), each with its
// picture (a ".bmp" file of the same folder), and the item of the current
// language file.
class LanguageList {
public:
    struct Item {
        QString name;    // the file name without ".ini"
        QString picture; // the full path of its picture
        bool operator==(const Item&) const = default;
    };
    // Whether a picture file loads as a bitmap.
    using PictureCheck = std::function<bool(const QString& path)>;

    // What the user is told when the list cannot be built; the language
    // texts are off for the rest of the run.
    static inline const QString kErrorText = QStringLiteral("Error in language files,language pack will not loaded.");

    // The files of `folder` in the file system's order, which is not sorted.
    static QStringList folderEntries(const QString& folder);

    // Builds the list from the folder's entries `entries`, in that order.
    // Each language takes the picture of its own name when there is one
    // ("German.bmp" for "German.ini"), else the picture at its own position
    // among the pictures. Extensions compare without regard to letter case.
    // False, with the reason in failure(), when the folder is missing, a
    // picture does not load, or there are fewer pictures than languages.
    bool fill(const QString& folder, const QStringList& entries, const QString& languageFile,
              const PictureCheck& loads);
    // The same over the folder as the file system lists it.
    bool fill(const QString& folder, const QString& languageFile, const PictureCheck& loads);

    // Marks the item of `languageFile` ("German.ini"), letter case aside;
    // none when no item has it.
    void select(const QString& languageFile);

    const QList<Item>& items() const { return items_; }
    // The item of the current language file, -1 for none.
    int selected() const { return selected_; }
    QString failure() const { return failure_; }

private:
    bool fail(const QString& reason);

    QList<Item> items_;
    int selected_ = -1;
    QString failure_;
};
