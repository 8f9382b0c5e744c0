#include "engine/ShortReplyRetry.h"

#include "core/TextLookup.h"

ShortReplyRetry::ShortReplyRetry(ReconnectPolicy& reconnects, const AppSettings& settings, const TextLookup& text,
                                 Callbacks callbacks)
    : reconnects_(reconnects)
    , settings_(settings)
    , text_(text)
    , callbacks_(std::move(callbacks))
{
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { waitOver(); });
}

void ShortReplyRetry::retry(const std::function<void()>& again, qint64 received, qint64 size)
{
    const auto wait = reconnects_.next(received, settings_);
    if (!wait) {
        callbacks_.onGiveUp(size >= 0 ? text_
                                            .GetText(QStringLiteral("11066"),
                                                     QStringLiteral("The server ended its reply before the end of "
                                                                    "the file %1 times in a row (%2 of %3 bytes "
                                                                    "received); giving up."))
                                            .arg(reconnects_.fruitless())
                                            .arg(received)
                                            .arg(size)
                                      : text_
                                            .GetText(QStringLiteral("11067"),
                                                     QStringLiteral("The server ended its reply before the end of "
                                                                    "the file %1 times in a row (%2 bytes "
                                                                    "received); giving up."))
                                            .arg(reconnects_.fruitless())
                                            .arg(received));
        return;
    }
    waiting_.push_back(again);
    // Connections that end short while a wait runs go on with it.
    if (timer_.isActive())
        return;
    if (*wait > 0) {
        callbacks_.onWait(reconnects_.notice(*wait, received, size, settings_, text_));
        shown_ = true;
    }
    timer_.start(*wait);
}

void ShortReplyRetry::waitOver()
{
    timer_.stop();
    std::vector<std::function<void()>> waiting;
    waiting.swap(waiting_);
    if (!callbacks_.goesOn() || waiting.empty())
        return;
    if (shown_) {
        shown_ = false;
        callbacks_.onWaitOver();
    }
    for (const auto& again : waiting) {
        if (callbacks_.goesOn())
            again();
    }
}

void ShortReplyRetry::cancel()
{
    timer_.stop();
    waiting_.clear();
}
