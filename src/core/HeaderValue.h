#pragma once

#include <QString>

// The value of one header in a server reply: the text that starts one
// character after the first occurrence of `key` (letter case ignored) and ends
// before the next CR LF, or at the end of the text. Empty when the key is absent.
QString GetHeaderValue(const QString& reply, const QString& key);
