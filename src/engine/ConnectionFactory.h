#pragma once

#include "engine/FtpControl.h"
#include "engine/HttpConnection.h"

#include <functional>
#include <memory>

// Makes the connections of a download job: network ones in the program,
// scripted ones in tests.
struct ConnectionFactory {
    std::function<std::unique_ptr<HttpConnection>(HttpConnection::Callbacks)> http;
    std::function<std::unique_ptr<FtpControl>(FtpControl::Callbacks)> ftp;

    static ConnectionFactory network();
};
