#include "settings/PasswordScrambler.h"

#include <algorithm>

namespace {

constexpr int kShift = 10;

QByteArray shifted(QByteArray bytes, int by)
{
    for (char& c : bytes)
        c = static_cast<char>((static_cast<unsigned char>(c) + by + 256) % 256);
    return bytes;
}

} // namespace

QByteArray PasswordScrambler::scramble(const QString& password)
{
    return shifted(password.toUtf8(), kShift);
}

QString PasswordScrambler::unscramble(const QByteArray& scrambled)
{
    return QString::fromUtf8(shifted(scrambled, -kShift));
}

bool PasswordScrambler::canStore(const QString& password)
{
    return std::none_of(password.cbegin(), password.cend(),
                        [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}
