#pragma once

#include <QString>

class ProgramFolder;
class ShellOpener;

// The user guide: "help/UserGuide.html", a data file found beside the
// programs (or in the program folder, or under <prefix>/share/quillspan).
QString UserGuidePath(const ProgramFolder& programFolder);
// Opens it with the desktop's handler; a failure is not reported.
void OpenUserGuide(const ProgramFolder& programFolder, ShellOpener& shell);
