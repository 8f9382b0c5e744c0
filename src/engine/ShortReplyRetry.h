#pragma once

#include "engine/ReconnectPolicy.h"

#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

class TextLookup;
struct AppSettings;

// The tries of a download's connections that end before their bytes are all
// there: each goes on after the wait the reconnect policy gives, those that
// end while a wait runs go on with it, and the download fails when the policy
// gives no more tries.
class ShortReplyRetry {
public:
    struct Callbacks {
        // No try is left: the download fails with `message`.
        std::function<void(const QString& message)> onGiveUp;
        // A wait begins; `notice` says why, which try it is and how long.
        std::function<void(const QString& notice)> onWait;
        // The wait that onWait told of is over.
        std::function<void()> onWaitOver;
        // The download still transfers.
        std::function<bool()> goesOn;
    };

    ShortReplyRetry(ReconnectPolicy& reconnects, const AppSettings& settings, const TextLookup& text,
                    Callbacks callbacks);

    // A connection ended short with `received` bytes of `size` (-1: not
    // known) in place: `again` goes on after the wait.
    void retry(const std::function<void()>& again, qint64 received, qint64 size);
    // The wait is over: each connection waiting goes on.
    void waitOver();
    // The connections closed: nothing waits any more.
    void cancel();

private:
    ReconnectPolicy& reconnects_;
    const AppSettings& settings_;
    const TextLookup& text_;
    Callbacks callbacks_;
    QTimer timer_;
    // What goes on when the timer fires: each connection that ended short.
    std::vector<std::function<void()>> waiting_;
    bool shown_ = false; // onWait told of the wait
};
