#include "engine/ConnectionTimeOut.h"

#include "settings/AppSettings.h"

ConnectionTimeOut::ConnectionTimeOut(const AppSettings& settings, Callbacks callbacks)
    : settings_(settings)
    , callbacks_(std::move(callbacks))
{
    timer_.setInterval(1000);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { tick(); });
}

void ConnectionTimeOut::restart()
{
    left_ = settings_.Timeout;
    timer_.start();
}

void ConnectionTimeOut::renew()
{
    if (timer_.isActive())
        left_ = settings_.Timeout;
}

void ConnectionTimeOut::tick()
{
    left_ -= 1;
    callbacks_.onTick(left_);
    if (left_ >= 1)
        return;
    timer_.stop();
    callbacks_.onExpired();
}
