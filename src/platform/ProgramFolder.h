#pragma once

#include <QString>

// Where a program keeps its data files (the language folder "Lang") and its
// state files (Settings.ini, History.ini and the like).
//
// The rule for the state files:
//   1. $KEVA_HOME, when set, is the program folder.
//   2. Otherwise the folder of the executable, when it can be written to:
//      a build tree or a copy unpacked into a folder of the user's own.
//   3. Otherwise (an installed copy, say in /usr/bin) $XDG_DATA_HOME/Quillspan
//      (~/.local/share/Quillspan).
// The language folder is the first of these that exists: "Lang" in the
// program folder (a user's own languages), "Lang" beside the executable (a
// build tree), <prefix>/share/quillspan/Lang (an installed copy). When none
// exists it is "Lang" in the program folder, and every window keeps its
// built-in English captions.
class ProgramFolder {
public:
    ProgramFolder(QString path, QString languageFolder);

    // From the environment and the running executable.
    static ProgramFolder fromEnvironment();
    // The rule above, with its inputs given: testable without a real install.
    static ProgramFolder resolve(const QString& kevaHome, const QString& executableFolder,
                                 bool executableFolderWritable, const QString& xdgDataHome,
                                 const QString& homeFolder);

    // The program folder: state files live here.
    QString path() const { return path_; }
    // The "Lang" folder with the language files.
    QString languageFolder() const { return languageFolder_; }
    // A file in the program folder.
    QString file(const QString& name) const;

private:
    QString path_;
    QString languageFolder_;
};
