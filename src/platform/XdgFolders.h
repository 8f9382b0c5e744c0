#pragma once

#include <QString>

// The user's base folders of the XDG base directory rules, as the desktop,
// the browsers and the programs of this suite find them.
class XdgFolders {
public:
    // $XDG_CONFIG_HOME, else ~/.config.
    static QString configHome();
};
