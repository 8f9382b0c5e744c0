#pragma once

#include <QTimer>

#include <functional>

struct AppSettings;

// The connection time-out of a download: while a connection, a greeting or a
// reply is awaited, the settings' Timeout counts down a second at a time.
class ConnectionTimeOut {
public:
    struct Callbacks {
        // A second went by; `secondsLeft` are left.
        std::function<void(int secondsLeft)> onTick;
        // None are left: the count has stopped.
        std::function<void()> onExpired;
    };

    ConnectionTimeOut(const AppSettings& settings, Callbacks callbacks);

    // Counts down from the whole time-out.
    void restart();
    // A reply came: a running count starts again from the whole time-out.
    void renew();
    void stop() { timer_.stop(); }
    // A second went by.
    void tick();

private:
    const AppSettings& settings_;
    Callbacks callbacks_;
    QTimer timer_;
    int left_ = 0;
};
