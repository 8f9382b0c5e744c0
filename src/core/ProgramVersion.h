#pragma once

#include <QString>

// The program's version as it is shown: major and minor joined by ".".
QString ProgramVersion();
