#include "intake/frmLocater.h"

#include <QTimer>

frmLocater::frmLocater(std::function<bool(const QString& text)> intake, QObject* parent)
    : QObject(parent)
    , intake_(std::move(intake))
    , window_(kCaption)
{
    window_.setHandler([this](const WindowMessage& message) { return handle(message); });
}

bool frmLocater::load()
{
    return window_.listen();
}

qint64 frmLocater::handle(const WindowMessage& message)
{
    // Only the text box, the window's first child, takes text.
    if (message.message != WindowMessage::WM_SETTEXT || message.child != 1)
        return 0;
    text1_ = QString::fromUtf8(message.text.data(), static_cast<qsizetype>(message.text.size()));
    if (text1_.isEmpty()) {
        // Shown after the sender got its answer: raising a window may wait
        // on the window system.
        if (showWindow)
            QTimer::singleShot(0, this, [this] { showWindow(); });
        return 1;
    }
    // The intake lists the URL (or refuses it) before the sender gets its
    // answer, so that a browser drops its own download only for a URL that
    // is listed here; its questions (where to save, which file to keep) come
    // afterwards, so the sender is not held while the user thinks.
    const bool taken = intake_(text1_);
    text1_.clear();
    return taken ? 1 : 0;
}
