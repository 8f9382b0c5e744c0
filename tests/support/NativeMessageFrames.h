#pragma once

#include <QByteArray>
#include <QStringList>

// Native messaging as the browser writes and reads it, for the tests of
// KEVA_IE_BHO: a 4-byte length in the machine's byte order, then the body.
struct NativeMessageFrames {
    static QByteArray frame(const QByteArray& body);
    // A length alone, with no body after it.
    static QByteArray length(quint32 length);
    // The bodies in `output`, each as text; "<broken>" for trailing bytes
    // that are no whole frame.
    static QStringList bodies(QByteArray output);
};
