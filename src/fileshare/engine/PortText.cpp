#include "fileshare/engine/PortText.h"

int PortText::parse(const QString& text)
{
    const QString head = text.left(kMaxCharacters);
    qsizetype i = 0;
    while (i < head.size() && (head[i] == QLatin1Char(' ') || head[i] == QLatin1Char('\t')))
        ++i;
    int sign = 1;
    if (i < head.size() && (head[i] == QLatin1Char('-') || head[i] == QLatin1Char('+'))) {
        sign = head[i] == QLatin1Char('-') ? -1 : 1;
        ++i;
    }
    int number = 0;
    for (; i < head.size() && head[i] >= QLatin1Char('0') && head[i] <= QLatin1Char('9'); ++i)
        number = number * 10 + (head[i].unicode() - '0');
    return sign * number;
}
