#pragma once

#include "platform/ProfileReader.h"

#include <QString>

#include <mutex>

// Texts by digit key from the current language file, "<LanguageFile>" in the
// language folder, section "KEVA". The file is read once and kept parsed
// until it changes: an edited or replaced language file, or a change to
// another language, takes effect at the next look-up. The file's name is matched
// without regard to letter case when no file has it exactly ("German.INI"
// for "German.ini"), as the language picker names files by their language.
class TextLookup {
public:
    static constexpr int kMaxTextLength = 499;

    explicit TextLookup(QString languageFolder, QString languageFile = QStringLiteral("English.ini"));

    // The text of `key`, cut to 499 characters, without its leading blanks;
    // trailing blanks stay where the file keeps them (in quotes). `fallback`,
    // trimmed of blanks, when the file, the section or the key is missing, or
    // the key has no text.
    QString GetText(const QString& key, const QString& fallback = QString()) const;

    // A window's caption: the language file's text, or `builtIn` once the
    // language files are off (LanguagePackUnavailable), when every window
    // keeps its built-in captions.
    QString caption(const QString& key, const QString& builtIn) const;

    // Set, once and for the rest of the run, when the language list could
    // not be built.
    bool LanguagePackUnavailable() const { return languagePackUnavailable_; }
    void setLanguagePackUnavailable() { languagePackUnavailable_ = true; }

    QString languageFolder() const { return languageFolder_; }
    QString languageFile() const { return languageFile_; }
    void setLanguageFile(const QString& languageFile);
    // Windows are laid out right to left with the Arabic language file.
    bool rightToLeft() const { return languageFile_ == QStringLiteral("Arabic.ini"); }

    // `run` (a path, an address, a number with its unit) isolated as
    // left-to-right text: inside a right-to-left sentence it then reads as it
    // is written, and the sentence around it keeps its order.
    // How many times a language file was read and parsed.
    int parseCount() const { return profile_.parseCount(); }
    // While held (see TextReadSession), look-ups see the language file as
    // the first of them found it, without looking at it again.
    void hold() const;
    void release() const;

    static QString leftToRightRun(const QString& run) { return QChar(0x2066) + run + QChar(0x2069); }
    // leftToRightRun in a right-to-left language; `run` as it is in others.
    QString leftToRight(const QString& run) const { return rightToLeft() ? leftToRightRun(run) : run; }

private:
    QString languagePath() const;

    QString languageFolder_;
    QString languageFile_;
    bool languagePackUnavailable_ = false;
    ProfileReader profile_;
    mutable std::mutex heldMutex_;
    mutable int holds_ = 0;
    mutable QString heldPath_; // the file found while held
};
