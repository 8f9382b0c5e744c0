#pragma once

#include <QString>
#include <QStringList>

// Where a program keeps its data files (the language folder "Lang", the help
// pages) and its state files (Settings.ini, History.ini and the like).
//
// The rule for the state files:
//   1. $KEVA_HOME, when set, is the program folder.
//   2. Otherwise the folder of the executable, when it can be written to and
//      is not part of an installed copy: a build tree or a copy unpacked into
//      a folder of the user's own.
//   3. Otherwise (an installed copy, one with <prefix>/share/quillspan beside
//      its bin folder, in /usr or in ~/.local alike) $XDG_DATA_HOME/Quillspan
//      (~/.local/share/Quillspan).
// A data file is the first of these that exists: the one in the program
// folder (a user's own), the one beside the executable (a build tree), the one
// in <prefix>/share/quillspan (an installed copy). When none exists it is the
// one in the program folder; without a language folder every window keeps its
// built-in English captions.
class ProgramFolder {
public:
    // `dataFolders` are searched for data files after the program folder.
    ProgramFolder(QString path, QString languageFolder, QStringList dataFolders = {});

    // From the environment and the running executable.
    static ProgramFolder fromEnvironment();
    // The rule above, with its inputs given: testable without a real install.
    static ProgramFolder resolve(const QString& kevaHome, const QString& executableFolder,
                                 bool executableFolderWritable, const QString& xdgDataHome, const QString& homeFolder);

    // The program folder: state files live here.
    QString path() const { return path_; }
    // The "Lang" folder with the language files.
    QString languageFolder() const { return languageFolder_; }
    // A file in the program folder.
    QString file(const QString& name) const;
    // A data file or folder ("help/htu.htm"), found by the rule above.
    QString dataFile(const QString& name) const;

private:
    QString path_;
    QString languageFolder_;
    QStringList dataFolders_;
};
