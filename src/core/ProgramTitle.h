#pragma once

#include "core/ProgramTitle.h"

#include <QString>

// The program title: the caption of KEVA's message boxes and main window,
// and the organisation its settings are filed under.
inline const QString kProgramTitle = QStringLiteral("Quillspan");
