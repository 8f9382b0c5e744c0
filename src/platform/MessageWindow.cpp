#include "platform/MessageWindow.h"

#include "platform/WindowDirectory.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

MessageWindow::MessageWindow(QString caption, QObject* parent)
    : QObject(parent)
    , caption_(std::move(caption))
{
}

MessageWindow::~MessageWindow()
{
    stopListening();
}

bool MessageWindow::listen()
{
    if (isListening())
        return true;
    const std::string folder = WindowDirectory::runtimeFolder();
    if (folder.empty())
        return false;
    WindowDirectory::windows(); // sweeps the entries of dead processes

    const std::string path = WindowDirectory::newSocketPath(folder);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket.valid())
        return false;
    ::unlink(path.c_str());
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::listen(socket.get(), 16) != 0)
        return false;
    listener_ = std::move(socket);
    socketPath_ = path;
    if (!WindowDirectory::writeCaption(socketPath_, caption_.toStdString())) {
        stopListening();
        return false;
    }
    acceptNotifier_ = new QSocketNotifier(listener_.get(), QSocketNotifier::Read, this);
    connect(acceptNotifier_, &QSocketNotifier::activated, this, &MessageWindow::acceptConnections);
    return true;
}

void MessageWindow::setCaption(const QString& caption)
{
    caption_ = caption;
    if (isListening())
        WindowDirectory::writeCaption(socketPath_, caption_.toStdString());
}

void MessageWindow::acceptConnections()
{
    for (;;) {
        UniqueFd socket(::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!socket.valid())
            return;
        const int fd = socket.get();
        if (connections_.size() >= kMaxConnections) {
            emit messageRefused(QStringLiteral("too many connections"));
            continue;
        }
        auto connection = std::make_unique<Connection>();
        connection->socket = std::move(socket);
        connection->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(connection->notifier, &QSocketNotifier::activated, this, [this, fd] { readFrom(fd); });
        connection->idleTimer = new QTimer(this);
        connection->idleTimer->setSingleShot(true);
        connect(connection->idleTimer, &QTimer::timeout, this, [this, fd] {
            emit messageRefused(QStringLiteral("sender stalled"));
            closeConnection(fd);
        });
        connection->idleTimer->start(idleTimeoutMs_);
        connections_[fd] = std::move(connection);
    }
}

void MessageWindow::readFrom(int fd)
{
    const auto found = connections_.find(fd);
    if (found == connections_.end() || found->second->busy)
        return;
    Connection& connection = *found->second;

    char chunk[16384];
    for (;;) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n > 0) {
            connection.buffer.append(chunk, static_cast<std::size_t>(n));
            if (connection.buffer.size() > WindowMessage::kHeaderSize + WindowMessage::kMaxTextBytes)
                break;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno != EAGAIN) {
            // The sender hung up (or only checked that we listen).
            closeConnection(fd);
            return;
        }
        break;
    }

    WindowMessage message;
    std::size_t consumed = 0;
    switch (WindowMessage::decode(connection.buffer.data(), connection.buffer.size(), message, consumed)) {
    case WindowMessage::DecodeResult::NeedMore: connection.idleTimer->start(idleTimeoutMs_); return;
    case WindowMessage::DecodeResult::Malformed: refuse(fd, QStringLiteral("malformed message")); return;
    case WindowMessage::DecodeResult::TooLarge: refuse(fd, QStringLiteral("message too large")); return;
    case WindowMessage::DecodeResult::Complete: dispatch(fd, message); return;
    }
}

void MessageWindow::dispatch(int fd, const WindowMessage& message)
{
    Connection& connection = *connections_.at(fd);
    connection.busy = true;
    connection.notifier->setEnabled(false);
    connection.idleTimer->stop();

    // The handler may open a dialog and so run a nested event loop; the
    // connection stays open (and its descriptor ours) until it returns.
    const qint64 result = handler_ ? handler_(message) : 0;
    reply(fd, WindowMessage::encodeReply(WindowMessage::ReplyStatus::Handled, result));
    closeConnection(fd);
}

void MessageWindow::refuse(int fd, const QString& reason)
{
    reply(fd, WindowMessage::encodeReply(WindowMessage::ReplyStatus::Refused, 0));
    emit messageRefused(reason);
    closeConnection(fd);
}

void MessageWindow::reply(int fd, const std::string& bytes)
{
    // A reply is a few bytes on a fresh socket: it fits the send buffer.
    [[maybe_unused]] const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

void MessageWindow::closeConnection(int fd)
{
    const auto found = connections_.find(fd);
    if (found == connections_.end())
        return;
    std::unique_ptr<Connection> connection = std::move(found->second);
    connections_.erase(found);
    // Either may be the sender of the signal being handled: delete them later.
    connection->notifier->setEnabled(false);
    connection->notifier->deleteLater();
    connection->idleTimer->stop();
    connection->idleTimer->deleteLater();
}

void MessageWindow::stopListening()
{
    while (!connections_.empty())
        closeConnection(connections_.begin()->first);
    delete acceptNotifier_;
    acceptNotifier_ = nullptr;
    if (listener_.valid()) {
        listener_.close();
        WindowDirectory::unregister(socketPath_);
    }
}
