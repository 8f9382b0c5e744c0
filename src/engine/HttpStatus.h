#pragma once

#include <QString>

// The status code of a server reply: the three characters after the first
// blank of the status line (the first three when there is no blank); 0 when
// they are no number.
int GetStatusCode(const QString& statusLine);

// The text the download window shows for an HTTP status: the known error
// texts for the codes listed here, "SUCCESS" for every other code.
QString GetError(int code);

// The text for a reply that ends a download: the known text where there is
// one, else "HTTP <code> <reason>" (for example "HTTP 503 Service Unavailable").
QString HttpFailureText(int code, const QString& reason);
