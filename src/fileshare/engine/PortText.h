#pragma once

#include <QString>

// The port box's text as a number, the way the C library's atoi reads it:
// leading blanks, an optional sign, then digits up to the first other
// character ("8080x" is 8080); 0 when there are none. Only the first nine
// characters are read, so the number cannot overflow.
class PortText {
public:
    static constexpr int kMaxCharacters = 9;
    static int parse(const QString& text);
};
