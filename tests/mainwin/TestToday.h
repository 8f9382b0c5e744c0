#pragma once

#include <QDate>

// The day the main window tests take for today.
inline const QDate kToday(2026, 12, 7);
