#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

class KevaContext;
class TestHome;

// The control of `window` with the design name `name`; a test that looks
// for a control the window lacks fails.
template <typename Widget> Widget* NamedChild(const QWidget& window, const char* name)
{
    Widget* found = window.findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// The caption a control of `window` shows, found by its object name: a
// label's or button's text, a group box's title, a menu item's text. An
// empty name gives the window's title.
QString ShownCaption(const QWidget& window, const QString& control);

// Writes the test's English.ini with the text "T<key>" for every key, so a
// caption shows which key it was taken from.
void WriteNumberedLanguageFile(const TestHome& home, const QStringList& keys);

// Puts the English.ini that ships with the programs into the test's folder.
void InstallShippedLanguageFile(const TestHome& home);

// The languages that ship with the programs, by their language files' names
// without ".ini".
inline constexpr const char* kShippedLanguages[] = {"English", "Arabic", "German", "French"};

// Names a test of a shipped language after it.
struct ShippedLanguageName {
    std::string operator()(const testing::TestParamInfo<const char*>& language) const { return language.param; }
};

// Makes `language` ("German") the language of `context`, with every shipped
// language file and picture in the test's folder.
void UseShippedLanguage(const TestHome& home, KevaContext& context, const char* language);

// Expects `window` to show, for each control (by name; empty for the title),
// the text its key has in the shipped file of `language`, translated for the
// most part when that is not English, and to be laid out right to left for
// Arabic alone.
void ExpectShippedLanguageTexts(const QWidget& window, const char* language,
                                std::initializer_list<std::pair<const char*, const char*>> controlKeys);
