#pragma once

#include <QString>

// A new secret for the remote-control port: 128 random bits from the
// system's generator, as 32 hex digits.
QString makeRpcSecret();
