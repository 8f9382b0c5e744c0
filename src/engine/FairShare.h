#pragma once

#include <QtGlobal>

#include <vector>

// Splits `budget` bytes among readers that want `wants[i]` bytes each: every
// reader gets an equal share, and what a reader does not want of its share
// goes, again in equal shares, to those that want more. No reader gets more
// than it wants; bytes nobody wants are left over. A remainder smaller than
// the number of readers still wanting goes a byte each to the first of them.
std::vector<qint64> FairShare(qint64 budget, const std::vector<qint64>& wants);
