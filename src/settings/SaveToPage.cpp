#include "settings/SaveToPage.h"

#include "settings/OptionGroup.h"
#include "settings/SettingsPageIO.h"

#include <algorithm>

void SaveToPage::show(SettingsPageIO& io)
{
    optSameDir = io.readSwitch("SaveSameDir");
    optFileType = io.readSwitch("SaveFileType");
    optFileInfo = io.readSwitch("SaveFileInfo");
    optLastDir = false;
    keepOneOption({&optLastDir, &optSameDir, &optFileType, &optFileInfo});
    txtSameDir = io.read("TextSameDir");
    txtParentDir = io.read("ParentDir");
    optServer = io.readSwitch("UseServer");
    optDate = io.readSwitch("UseDate");
    optFileExt = io.readSwitch("UseFileExt");
    keepOneOption({&optServer, &optDate, &optFileExt});
}

void SaveToPage::store(SettingsPageIO& io) const
{
    io.write("SaveSameDir", optSameDir);
    io.write("TextSameDir", txtSameDir);
    io.write("SaveLastDir", lblLastDir);
    io.write("SaveFileType", optFileType);
    io.write("SaveFileInfo", optFileInfo);
    io.write("ParentDir", txtParentDir);
    io.write("UseServer", optServer);
    io.write("UseDate", optDate);
    io.write("UseFileExt", optFileExt);
}

SaveLocationChoice SaveToPage::choice() const
{
    return {optLastDir, optSameDir, optFileType, optFileInfo, txtSameDir, txtParentDir, optServer, optDate, optFileExt};
}

bool SaveToPage::addFileType()
{
    if (txtFileType.isEmpty() || txtFileTypeDir.isEmpty())
        return false;
    lstFileType.append({txtFileType, txtFileTypeDir});
    txtFileType.clear();
    txtFileTypeDir.clear();
    return true;
}

bool SaveToPage::removeSelectedFileType()
{
    if (lstFileTypeSelected < 0 || lstFileTypeSelected >= lstFileType.size())
        return false;
    lstFileType.removeAt(lstFileTypeSelected);
    lstFileTypeSelected = lstFileType.isEmpty() ? -1 : std::min<int>(lstFileTypeSelected, int(lstFileType.size()) - 1);
    return true;
}

void SaveToPage::chooseRule(Rule rule)
{
    optLastDir = rule == Rule::LastDir;
    optSameDir = rule == Rule::SameDir;
    optFileType = rule == Rule::FileType;
    optFileInfo = rule == Rule::FileInfo;
}

bool SaveToPage::frameShown(Rule rule) const
{
    switch (rule) {
    case Rule::LastDir: return optLastDir;
    case Rule::SameDir: return optSameDir;
    case Rule::FileType: return optFileType;
    case Rule::FileInfo: return optFileInfo;
    }
    return false;
}
