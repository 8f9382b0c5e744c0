#include "core/NetworkName.h"

namespace {

bool isBidiControl(char16_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F || c == 0x061C;
}

} // namespace

QString NetworkName::withoutBidiControls(const QString& name)
{
    QString result = name;
    for (QChar& c : result) {
        if (isBidiControl(c.unicode()))
            c = QLatin1Char('_');
    }
    return result;
}
