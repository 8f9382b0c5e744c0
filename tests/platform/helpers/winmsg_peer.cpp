// The other process of the window-message tests.
//
//   winmsg_peer receive CAPTION   registers a window, prints "ready", and
//                                 answers each message with its text length
//   winmsg_peer send CAPTION MESSAGE TEXT [MARKER]
//                                 finds the window by a part of its caption,
//                                 sends, prints "result N" (or "failed"), and
//                                 "marker present" when the file MARKER exists
//                                 once the send has returned
#include "platform/MessageWindow.h"
#include "platform/WindowDirectory.h"
#include "platform/WindowMessageSender.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 3 && args[1] == QStringLiteral("receive")) {
        MessageWindow window(args[2]);
        window.setHandler([](const WindowMessage& message) { return static_cast<qint64>(message.text.size()); });
        if (!window.listen())
            return 1;
        std::cout << "ready" << std::endl;
        return QCoreApplication::exec();
    }
    if (args.size() >= 5 && args[1] == QStringLiteral("send")) {
        const auto window = WindowDirectory::findWindow(args[2].toStdString(), WindowDirectory::Match::Contains);
        if (!window) {
            std::cout << "no window" << std::endl;
            return 1;
        }
        const auto result = WindowMessageSender::send(*window, static_cast<std::uint32_t>(args[3].toUInt()), 7,
                                                      args[4].toStdString());
        std::cout << (result ? "result " + std::to_string(*result) : std::string("failed")) << std::endl;
        if (args.size() >= 6 && QFile::exists(args[5]))
            std::cout << "marker present" << std::endl;
        return result ? 0 : 1;
    }
    std::cerr << "usage: winmsg_peer receive CAPTION | send CAPTION MESSAGE TEXT [MARKER]\n";
    return 2;
}
