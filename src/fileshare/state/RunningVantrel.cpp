#include "fileshare/state/RunningVantrel.h"

#include "fileshare/state/VantrelState.h"
#include "platform/WindowDirectory.h"
#include "platform/WindowMessageSender.h"

bool RunningVantrel::showWindow()
{
    const auto receiver = WindowDirectory::findWindow(VantrelState::kReceiverCaption, WindowDirectory::Match::Exact);
    return receiver && WindowMessageSender::send(*receiver, kShowWindow, 0, std::string(), kTimeoutMs) == 1;
}
