#pragma once

#include <QString>

// True when `path` names a file whose length can be read.
bool FileExists(const QString& path);
