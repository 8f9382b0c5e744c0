#pragma once

#include "settings/FileTypeFolder.h"
#include "settings/SaveLocationChoice.h"

#include <QList>
#include <QString>

class SettingsPageIO;

// The save-to page: four rules for the folder of a new download, one of them
// chosen, with the file-type table of the "By File Type" rule.
class SaveToPage {
public:
    void show(SettingsPageIO& io);
    void store(SettingsPageIO& io) const;
    // The chosen rule as the intake reads it.
    SaveLocationChoice choice() const;

    enum class Rule { LastDir, SameDir, FileType, FileInfo };
    // A click on one of the four options: it alone holds, and only its frame shows.
    void chooseRule(Rule rule);
    bool frameShown(Rule rule) const;

    // Appends a row when both boxes hold text, and empties them; false when
    // nothing was added.
    bool addFileType();
    // Removes the selected row; false when none is selected.
    bool removeSelectedFileType();

    bool optLastDir = true, optSameDir = false, optFileType = false, optFileInfo = false;
    QString lblLastDir, txtSameDir, txtFileType, txtFileTypeDir, txtParentDir;
    QList<FileTypeFolder> lstFileType;
    int lstFileTypeSelected = -1;
    bool optServer = true, optDate = false, optFileExt = false;
};
