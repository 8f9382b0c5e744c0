#pragma once

#include <QString>
#include <QStringList>

class QWidget;
class TestHome;

// The caption a control of `window` shows, found by its object name: a
// label's or button's text, a group box's title, a menu item's text. An
// empty name gives the window's title.
QString ShownCaption(const QWidget& window, const QString& control);

// Writes the test's English.ini with the text "T<key>" for every key, so a
// caption shows which key it was taken from.
void WriteNumberedLanguageFile(const TestHome& home, const QStringList& keys);

// Puts the English.ini that ships with the programs into the test's folder.
void InstallShippedLanguageFile(const TestHome& home);
