#pragma once

#include <QByteArray>
#include <QTcpSocket>

// A client of the remote-control port for tests: sends raw bytes and waits,
// running the event loop, for what comes back.
class RpcTestClient {
public:
    explicit RpcTestClient(quint16 port);

    void send(const QByteArray& bytes);
    // Waits for one whole HTTP response and takes it from what arrived.
    QByteArray response();
    // Waits for one whole WebSocket frame from the server; its opcode and payload.
    std::pair<int, QByteArray> frame();
    // The server ended the connection within `ms`.
    bool closedWithin(int ms);

    // A frame as a client sends it: masked.
    static QByteArray maskedFrame(int opcode, const QByteArray& payload, bool fin = true);

private:
    // Waits until `size` says how many bytes of a whole unit arrived (0: not yet).
    QByteArray take(qsizetype (*size)(const QByteArray&));

    QTcpSocket socket_;
    QByteArray received_;
};
