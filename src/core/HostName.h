#pragma once

#include <QString>

// A server's name as the user writes it and as it goes on the wire. DNS, the
// Host header, a proxy's request line and CONNECT, and the TLS server name
// all take the ASCII form of an internationalised name ("bücher.example" is
// "xn--bcher-kva.example"); the user keeps seeing the address as written.
class HostName {
public:
    // The ASCII form of `host`: a name with characters outside ASCII in its
    // IDNA form, lower-cased as IDNA maps it; an ASCII name or an IP address
    // unchanged. Empty when `host` is no valid internationalised name (a
    // blank, an empty label, a label longer than 63 characters).
    static QString onWire(const QString& host);

    // `a` and `b` name the same server: they are equal (letter case counts),
    // or one of them is internationalised and both have the same ASCII form,
    // so that "bücher.example" and "xn--bcher-kva.example" are one server.
    static bool same(const QString& a, const QString& b);
};
