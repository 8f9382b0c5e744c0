#pragma once

#include <QList>
#include <QSslError>
#include <QString>

// Why a server's certificate was not accepted, in words a user knows: it has
// expired, it is self-signed, it comes from an unknown authority, or it is for
// another host.
QString TlsFailureText(const QList<QSslError>& errors);
