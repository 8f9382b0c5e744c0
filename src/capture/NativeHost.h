#pragma once

#include "capture/CBrowserHelper.h"
#include "capture/NativeMessageChannel.h"

#include <QJsonObject>

// KEVA_IE_BHO's conversation with the browser extension: every message
// {"url": "..."} gets {"answer": "take"} when KEVA took the URL (the browser
// must not fetch it) or {"answer": "pass"} (the browser goes on). A message
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

    NativeMessageChannel& channel_;
    const CBrowserHelper& helper_;
};
