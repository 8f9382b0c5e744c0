#pragma once

#include "platform/UniqueFd.h"
#include "platform/WindowMessage.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <string>

class QSocketNotifier;
class QTimer;

// A window that other processes can find by its caption and send messages to
// (see WindowDirectory and WindowMessageSender). Messages are handled one at a
// time on the thread of the Qt event loop; the sender's call returns with the
// handler's result only after the handler has run. A message that does not
// parse, or whose text is larger than WindowMessage::kMaxTextBytes, is refused
// and never reaches the handler; a sender that stalls is dropped.
class MessageWindow : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<qint64(const WindowMessage&)>;

    explicit MessageWindow(QString caption, QObject* parent = nullptr);
    ~MessageWindow() override;

    void setHandler(Handler handler) { handler_ = std::move(handler); }

    // Registers the window in the runtime folder; false when that fails.
    bool listen();
    bool isListening() const { return listener_.valid(); }

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);

    // A sender that sends nothing for this long is dropped.
    void setIdleTimeout(int milliseconds) { idleTimeoutMs_ = milliseconds; }

    static constexpr int kIdleTimeoutMs = 10000;
    static constexpr std::size_t kMaxConnections = 32;

signals:
    void messageRefused(const QString& reason);

private:
    struct Connection {
        UniqueFd socket;
        QSocketNotifier* notifier = nullptr;
        QTimer* idleTimer = nullptr;
        std::string buffer;
        bool busy = false;
    };

    void acceptConnections();
    void readFrom(int fd);
    void dispatch(int fd, const WindowMessage& message);
    void refuse(int fd, const QString& reason);
    void reply(int fd, const std::string& bytes);
    void closeConnection(int fd);
    void stopListening();

    QString caption_;
    Handler handler_;
    std::string socketPath_;
    UniqueFd listener_;
    int idleTimeoutMs_ = kIdleTimeoutMs;
    QSocketNotifier* acceptNotifier_ = nullptr;
    std::map<int, std::unique_ptr<Connection>> connections_;
};
