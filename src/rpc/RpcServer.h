#pragma once

#include "rpc/RpcDownloads.h"
#include "rpc/RpcServerSettings.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <memory>

class QTcpServer;
class RpcConnection;
class RpcDispatcher;

// KEVA's remote-control port: aria2's JSON-RPC interface over HTTP
// (POST /jsonrpc) and WebSocket (/jsonrpc) on one port, driving the
// download list it is given. Tells every WebSocket client the list's events.
class RpcServer : public QObject {
    Q_OBJECT
public:
    enum class Refusal { None, NoSecret, BadAddress, AddressInUse, Other };

    explicit RpcServer(RpcDownloads& downloads, QObject* parent = nullptr);
    ~RpcServer() override;

    // Listens as `settings` say, after closing what listened before. The
    // port is never moved: when it is taken, nothing listens.
    Refusal start(const RpcServerSettings& settings);
    void stop();
    bool isListening() const;
    // The port listened on (the one chosen, for port 0).
    quint16 port() const;
    // The system's words for the last Refusal::Other.
    QString errorString() const;
    const RpcServerSettings& settings() const { return settings_; }
    // How long a client may take to send a whole request; 30 seconds.
    void setIdleTime(std::chrono::milliseconds time) { idleTime_ = time; }

private:
    void accept();
    void tell(RpcDownloads::Event event, const QString& gid);

    RpcDownloads& downloads_;
    RpcServerSettings settings_;
    std::unique_ptr<QTcpServer> listener_;
    std::unique_ptr<RpcDispatcher> dispatcher_;
    QList<QPointer<RpcConnection>> connections_;
    std::chrono::milliseconds idleTime_ {30000};
    QString errorString_;
};
