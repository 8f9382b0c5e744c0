#include "intake/HandOffTarget.h"

#include "intake/frmLocater.h"
#include "platform/WindowMessageSender.h"

std::optional<WindowHandle> HandOffTarget::find()
{
    const auto window = WindowDirectory::findWindow(frmLocater::kCaption.toStdString(),
                                                    WindowDirectory::Match::Contains);
    if (!window)
        return std::nullopt;
    return WindowDirectory::firstChild(*window);
}

bool HandOffTarget::setText(const WindowHandle& target, const QString& text)
{
    const auto reply = WindowMessageSender::setText(target, text.toStdString());
    return reply.has_value() && *reply != 0;
}
