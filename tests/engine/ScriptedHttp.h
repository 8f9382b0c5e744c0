#pragma once

#include "engine/ConnectionFactory.h"
#include "engine/HttpResponseParser.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

// A scripted HTTP server for the engine's connections: every request a
// connection opens is kept, and `respond` gives the raw bytes of its reply
// (status line, headers, body), delivered from the event loop as a network
// connection would. An empty reply leaves the request unanswered until the
// test answers it; a reply that ends before its body is complete is a
// connection the server closed, unless `holdOpen` says that it stays open.
class ScriptedHttp {
public:
    struct Request {
        QString host;
        int port = 0;
        QByteArray text;
        bool head = false;

        // The value of a request header, empty when it is absent.
        QByteArray header(const QByteArray& name) const;
        // "GET" or "HEAD" and the path of the request line.
        QByteArray line() const { return text.left(text.indexOf("\r\n")); }
    };

    std::function<QByteArray(const Request&)> respond;
    QList<Request> requests;
    bool holdOpen = false;

    // Sends bytes on the connection of request `index` now (header and body,
    // or more of the body).
    void answer(int index, const QByteArray& bytes);

    ConnectionFactory factory();
    // Serves `body` with ranges, as a server that supports them does.
    static QByteArray rangedReply(const Request& request, const QByteArray& body);

private:
    class Connection;
    void opened(Connection* connection, const Request& request);

    QList<Connection*> connections_; // of each request
};
