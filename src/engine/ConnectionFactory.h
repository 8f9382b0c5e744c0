#pragma once

#include "engine/FtpControl.h"
#include "engine/HttpConnection.h"

#include <functional>
#include <memory>

class ConnectionPool;

// Makes the connections of a download job: network ones in the program,
// scripted ones in tests.
struct ConnectionFactory {
    std::function<std::unique_ptr<HttpConnection>(HttpConnection::Callbacks)> http;
    std::function<std::unique_ptr<FtpControl>(FtpControl::Callbacks)> ftp;

    // HTTP connections keep their servers' connections open in `pool` (it
    // must outlive them) for the next request; without one, none is kept.
    static ConnectionFactory network(ConnectionPool* pool = nullptr);
};
