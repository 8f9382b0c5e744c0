#pragma once

#include <QList>
#include <QString>

// Why a server's certificate was not accepted, in words a user knows: it has
// expired, it is self-signed, it comes from an unknown authority, or it is for
// another host. `faults` are OpenSSL's certificate verification codes
// (X509_V_ERR_...), in the order they were found.
QString TlsFailureText(const QList<int>& faults);
