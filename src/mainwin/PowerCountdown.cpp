#include "mainwin/PowerCountdown.h"

PowerCountdown::PowerCountdown(QString message, int seconds, QObject* parent)
    : QObject(parent)
    , message_(std::move(message))
    , secondsLeft_(seconds)
{
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &PowerCountdown::tick);
}

QString PowerCountdown::lblCountdown() const
{
    return message_.arg(secondsLeft_);
}

void PowerCountdown::start()
{
    timer_.start();
}

void PowerCountdown::tick()
{
    if (!timer_.isActive())
        return;
    if (--secondsLeft_ > 0) {
        emit changed();
        return;
    }
    actNow();
}

void PowerCountdown::cancel()
{
    finish();
}

void PowerCountdown::actNow()
{
    if (finish())
        emit due();
}

bool PowerCountdown::finish()
{
    if (!timer_.isActive())
        return false;
    timer_.stop();
    emit finished();
    deleteLater();
    return true;
}
