#pragma once

class QWidget;

// Lays `widget` and its children out right to left for a language that reads
// so (Arabic), left to right for every other.
void applyLayoutDirection(QWidget& widget, bool rightToLeft);
