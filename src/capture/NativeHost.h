#pragma once

#include "capture/CBrowserHelper.h"
#include "capture/NativeMessageChannel.h"

#include <QJsonObject>

// KEVA_IE_BHO's conversation with the browser extension: every message
// {"url": "..."} gets {"answer": "take"} when KEVA took the URL (the browser
// must not fetch it) or {"answer": "pass"} (the browser goes on). The
// message may also say what the browser knows of the link, each a text:
// "referrer" (the page), "userAgent", "cookies" (the Cookie header the
// browser would send to the URL) and, for a download the browser started,
// "fileName" and "mime"; they go to KEVA with the URL. A message
// that is no such object gets {"answer": "error", "error": why} and the
// conversation goes on; one over the size limit, or input that ends inside
// a message, gets an error answer and ends it, since what follows cannot be
// read as messages.
class NativeHost {
public:
    NativeHost(NativeMessageChannel& channel, const CBrowserHelper& helper);

    // Answers until the input ends; the exit status of the program: 0 when
    // the input ended between messages, 1 when it ended in error.
    int run();

private:
    // The answer to one message body.
    QJsonObject answer(const QByteArray& body) const;
    static QJsonObject error(const QString& why);
    // Fills `session` from the message's optional fields; why it cannot be,
    // or empty.
    static QString readSession(const QJsonObject& message, BrowserSession* session);

    NativeMessageChannel& channel_;
    const CBrowserHelper& helper_;
};
