#include "ScriptedFtp.h"

#include "engine/FtpConnection.h"

class ScriptedFtp::Control : public FtpControl {
public:
    Control(ScriptedFtp& server, Callbacks callbacks)
        : server_(server)
        , callbacks_(std::move(callbacks))
    {
    }
    ~Control() override { server_.control_ = nullptr; }

    void setLimiter(RateLimiter*) override { }
    void open(const QString&, int) override
    {
        ++server_.opens;
        waiting_.clear();
        dataClosed_ = false;
        server_.released = false;
    }
    void close() override { waiting_.clear(); }
    void send(const QByteArray& command) override
    {
        server_.sent.append(command);
        waiting_.push_back(command.split(' ').first());
    }
    bool overIpv6() const override { return server_.overIpv6; }
    bool connectPassive(const QString& replyText, quint16* port) override
    {
        if (const auto extendedPort = FtpConnection::parseExtendedPassiveReply(replyText)) {
            *port = *extendedPort;
            return true;
        }
        const auto address = FtpConnection::parsePassiveReply(replyText);
        if (!address)
            return false;
        *port = address->port;
        return true;
    }
    std::optional<QByteArray> listenActive(bool extended, quint16* port) override
    {
        *port = 12 * 256 + 77;
        return extended ? server_.extendedArgument : server_.activeArgument;
    }
    void releaseData() override { server_.released = true; }
    bool dataClosed() const override { return dataClosed_; }

    void reply(int code, const QString& text)
    {
        FtpReply reply {code, QString::number(code) + QLatin1Char(' ') + text, {}};
        if (!waiting_.empty()) {
            reply.command = waiting_.front();
            if (code >= 200)
                waiting_.pop_front();
        }
        callbacks_.onReply(reply);
    }
    void data(const QByteArray& bytes) { callbacks_.onData(bytes.constData(), bytes.size()); }
    void closeData()
    {
        dataClosed_ = true;
        callbacks_.onDataClosed();
    }

private:
    ScriptedFtp& server_;
    Callbacks callbacks_;
    std::deque<QByteArray> waiting_;
    bool dataClosed_ = false;
};

ConnectionFactory ScriptedFtp::factory()
{
    return {
        {},
        [this](FtpControl::Callbacks callbacks) -> std::unique_ptr<FtpControl> {
            auto control = std::make_unique<Control>(*this, std::move(callbacks));
            control_ = control.get();
            return control;
        },
    };
}

void ScriptedFtp::reply(int code, const QString& text)
{
    control_->reply(code, text);
}

void ScriptedFtp::data(const QByteArray& bytes)
{
    control_->data(bytes);
}

void ScriptedFtp::closeData()
{
    control_->closeData();
}
