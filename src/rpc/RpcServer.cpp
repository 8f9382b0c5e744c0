#include "rpc/RpcServer.h"

#include "rpc/RpcConnection.h"
#include "rpc/RpcDispatcher.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

RpcServer::RpcServer(RpcDownloads& downloads, QObject* parent)
    : QObject(parent)
    , downloads_(downloads)
{
    connect(&downloads_, &RpcDownloads::downloadEvent, this, &RpcServer::tell);
}

RpcServer::~RpcServer()
{
    stop();
}

RpcServer::Refusal RpcServer::start(const RpcServerSettings& settings)
{
    stop();
    settings_ = settings;
    if (settings.secret.isEmpty())
        return Refusal::NoSecret;
    const QHostAddress address(settings.address);
    if (address.isNull())
        return Refusal::BadAddress;
    listener_ = std::make_unique<QTcpServer>();
    if (!listener_->listen(address, settings.port)) {
        const auto error = listener_->serverError();
        errorString_ = listener_->errorString();
        listener_.reset();
        if (error == QAbstractSocket::AddressInUseError)
            return Refusal::AddressInUse;
        return error == QAbstractSocket::SocketAddressNotAvailableError ? Refusal::BadAddress : Refusal::Other;
    }
    dispatcher_ = std::make_unique<RpcDispatcher>(downloads_, settings.secret);
    connect(listener_.get(), &QTcpServer::newConnection, this, &RpcServer::accept);
    return Refusal::None;
}

void RpcServer::stop()
{
    for (const QPointer<RpcConnection>& connection : std::as_const(connections_))
        delete connection.data();
    connections_.clear();
    listener_.reset();
    dispatcher_.reset();
}

bool RpcServer::isListening() const
{
    return listener_ != nullptr;
}

quint16 RpcServer::port() const
{
    return listener_ ? listener_->serverPort() : 0;
}

QString RpcServer::errorString() const
{
    return errorString_;
}

void RpcServer::accept()
{
    connections_.removeAll(nullptr);
    while (QTcpSocket* socket = listener_->nextPendingConnection())
        connections_.append(new RpcConnection(socket, *dispatcher_, settings_.allowedOrigins, idleTime_, this));
}

void RpcServer::tell(RpcDownloads::Event event, const QString& gid)
{
    static const QStringList names = RpcDispatcher::notificationNames();
    const QByteArray message = RpcDispatcher::notification(names.at(static_cast<int>(event)), gid);
    for (const QPointer<RpcConnection>& connection : std::as_const(connections_)) {
        if (connection && connection->isWebSocket())
            connection->sendText(message);
    }
}
