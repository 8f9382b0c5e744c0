#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

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
