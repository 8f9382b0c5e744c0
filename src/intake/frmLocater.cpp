#include "intake/frmLocater.h"

#include <QTimer>

frmLocater::frmLocater(std::function<void(const QString& text)> intake, QObject* parent)
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
    if (text1_.isEmpty())
        return 1;
    // The intake may ask questions (where to save, which file to keep): it
    // runs right after this message is answered, so the sender (a browser, a
    // second start) is not held while the user thinks.
    QTimer::singleShot(0, this, [this, text = text1_] { intake_(text); });
    text1_.clear();
    return 1;
}
