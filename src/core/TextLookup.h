#pragma once

#include <QString>

// Texts by digit key from the current language file, "<LanguageFile>" in the
// language folder, section "KEVA". Every look-up reads the file again, so an
// edited language file takes effect at once.
class TextLookup {
public:
    static constexpr int kMaxTextLength = 499;

    explicit TextLookup(QString languageFolder, QString languageFile = QStringLiteral("English.ini"));

    // The text of `key`, trimmed of blanks and cut to 499 characters; `fallback`
    // when the file, the section or the key is missing, or the key has no text.
    QString GetText(const QString& key, const QString& fallback = QString()) const;

    QString languageFolder() const { return languageFolder_; }
    QString languageFile() const { return languageFile_; }
    void setLanguageFile(const QString& languageFile) { languageFile_ = languageFile; }
    // Windows are laid out right to left with the Arabic language file.
    bool rightToLeft() const { return languageFile_ == QStringLiteral("Arabic.ini"); }

private:
    QString languageFolder_;
    QString languageFile_;
};
