#include "engine/ConnectionFactory.h"

#include "engine/FtpConnection.h"
#include "engine/SegmentConnection.h"

ConnectionFactory ConnectionFactory::network(ConnectionPool* pool)
{
    return {
        [pool](HttpConnection::Callbacks callbacks) -> std::unique_ptr<HttpConnection> {
            return std::make_unique<SegmentConnection>(std::move(callbacks), pool);
        },
        [](FtpControl::Callbacks callbacks) -> std::unique_ptr<FtpControl> {
            return std::make_unique<FtpConnection>(std::move(callbacks));
        },
    };
}
