#include "engine/FtpDialogue.h"

#include "core/TextLookup.h"

#include <QRegularExpression>

FtpDialogue::FtpDialogue(const ConnectionFactory& factory, const TextLookup& text, Callbacks callbacks)
    : factory_(factory)
    , text_(text)
    , callbacks_(std::move(callbacks))
{
}

QString FtpDialogue::text(const char* key, const QString& fallback) const
{
    return text_.GetText(QString::fromLatin1(key), fallback);
}

void FtpDialogue::start(const UrlParts& parts, qint64 offset, bool passive)
{
    if (!control_) {
        control_ = factory_.ftp(FtpControl::Callbacks {
            [this](const FtpReply& reply) { StartLoginFTP(reply); },
            [this](const char* data, qsizetype size) { callbacks_.onData(data, size); },
            [this] { checkEnd(); },
            [this](const QString& description) {
                callbacks_.onFail(text("11073", QStringLiteral("Could not connect to %1:%2: %3"))
                                      .arg(parts_.Server)
                                      .arg(parts_.Port)
                                      .arg(description));
            },
            [this](const QString& description) { callbacks_.onWarning(text("11032", QString()) + description); },
        });
    }
    control_->setLimiter(limiter_);
    parts_ = parts;
    offset_ = offset;
    passive_ = passive;
    dataReplies_ = 0;
    restAccepted_ = false;
    remoteSize_ = -1;
    setStep(FtpStep::Connecting);
    control_->open(parts.Server, parts.Port);
}

void FtpDialogue::close()
{
    if (control_)
        control_->close();
    step_ = FtpStep::Idle;
}

void FtpDialogue::setStep(FtpStep step)
{
    step_ = step;
    callbacks_.onStep(step);
}

// One reply of the control connection, acted on by the command it answers.
void FtpDialogue::StartLoginFTP(const FtpReply& reply)
{
    callbacks_.onReply(reply);
    const int code = reply.code;
    const QByteArray& command = reply.command;
    const bool refused = code >= 400;
    const auto refuse = [&](const QString& message) {
        setStep(FtpStep::Refused);
        callbacks_.onFail(message);
    };
    const auto refusedCommand = [&] {
        refuse(
            text("11074", QStringLiteral("The server refused %1: %2")).arg(QString::fromLatin1(command), reply.text));
    };
    if ((code == 227 || code == 229) && passive_ && step_ > FtpStep::PasvSent) {
        // A second passive address in one login: the server is confused.
        callbacks_.onWarning(text("11036", QString()));
        control_->close();
    } else if (command.isEmpty()) {
        // The greeting; replies that nothing asked for are ignored.
        if (step_ != FtpStep::Connecting)
            return;
        if (code == 220) {
            control_->send("USER " + parts_.UserName.toUtf8());
            setStep(FtpStep::UserSent);
        } else if (refused) {
            refuse(text("11075", QStringLiteral("The server refused the connection: %1")).arg(reply.text));
        }
    } else if (command == "USER" || command == "PASS") {
        if (code == 331 && command == "USER") {
            control_->send("PASS " + parts_.Password.toUtf8());
            setStep(FtpStep::PassSent);
        } else if (code == 230) {
            setStep(FtpStep::LoggedIn);
            setUpData();
        } else if (code == 530) {
            setStep(FtpStep::Refused);
            callbacks_.onLoginRefused();
        } else if (refused || code == 332) {
            refusedCommand();
        }
    } else if (command == "EPSV" && code >= 500) {
        // A server that does not know EPSV may still answer PASV, whose port
        // is then taken on the control connection's peer.
        control_->send("PASV");
    } else if (command == "EPRT" && code >= 500) {
        // The reply to PORT takes the place of EPRT's; TYPE's may come first.
        if (!sendPort(false))
            refusedCommand();
    } else if (command == "PASV" || command == "EPSV") {
        if (code != 227 && code != 229) {
            refusedCommand();
            return;
        }
        if (!control_->connectPassive(reply.text, &dataPort_)) {
            refuse(text("11076", QStringLiteral("The server's passive reply names no address: %1")).arg(reply.text));
            return;
        }
        control_->send("TYPE I");
        dataReplies_ = 1;
        setStep(FtpStep::DataSetUp);
    } else if (command == "PORT" || command == "EPRT" || command == "TYPE") {
        if (refused) {
            refusedCommand();
            return;
        }
        if (--dataReplies_ == 0)
            dataSettled();
    } else if (command == "SIZE" || command == "MDTM") {
        factReply(reply);
    } else if (command == "REST") {
        if (code == 350) {
            restAccepted_ = true;
            sendRetr();
        } else if (refused) {
            offset_ = 0;
            callbacks_.onRestRefused();
            sendRetr();
        }
    } else if (command == "RETR") {
        retrReply(reply);
    }
}

// Over IPv4 the data connection is set up with PASV or PORT, as always; over
// IPv6 with EPSV or EPRT, since PASV and PORT carry IPv4 addresses only.
void FtpDialogue::setUpData()
{
    const bool extended = control_->overIpv6();
    if (passive_) {
        control_->send(extended ? "EPSV" : "PASV");
        setStep(FtpStep::PasvSent);
        return;
    }
    if (!sendPort(extended)) {
        setStep(FtpStep::Refused);
        callbacks_.onFail(text("11077", QStringLiteral("No local port is free for the data connection.")));
        return;
    }
    control_->send("TYPE I");
    // TYPE's and PORT's replies come in either order (a server may answer
    // PORT only once it has connected).
    dataReplies_ = 2;
    setStep(FtpStep::DataSetUp);
}

// Listens for the server's data connection and tells the server where, with
// EPRT or PORT; false when there is nowhere to listen.
bool FtpDialogue::sendPort(bool extended)
{
    const auto argument = control_->listenActive(extended, &dataPort_);
    if (argument)
        control_->send((extended ? "EPRT " : "PORT ") + *argument);
    return argument.has_value();
}

// Once the transfer type is set and the data connection is settled
// (connected in passive mode, accepted by the server in active mode), the
// file's size and time are asked: they tell whether a partial file is part
// of the one on the server.
void FtpDialogue::dataSettled()
{
    control_->send("SIZE " + parts_.RemotePath.toUtf8());
    control_->send("MDTM " + parts_.RemotePath.toUtf8());
    setStep(FtpStep::FactsAsked);
}

// SIZE's and MDTM's replies ("213 <size>", "213 <YYYYMMDDHHMMSS>"); a
// refusal only means the server does not say. REST follows MDTM's reply.
void FtpDialogue::factReply(const FtpReply& reply)
{
    if (step_ != FtpStep::FactsAsked)
        return;
    const QByteArray value = reply.code == 213 ? reply.text.mid(4).trimmed().toLatin1() : QByteArray();
    if (reply.command == "SIZE") {
        bool ok = false;
        const qint64 size = value.toLongLong(&ok);
        remoteSize_ = ok && size >= 0 ? size : -1;
        return;
    }
    offset_ = callbacks_.onFileFacts(remoteSize_, value);
    // The job may have ended the login (a local file that is no part of the remote one).
    if (step_ != FtpStep::FactsAsked)
        return;
    control_->send("REST " + QByteArray::number(offset_));
    setStep(FtpStep::RestSent);
}

// One login fetches the file once: RETR is never sent a second time, so
// the server never sends the file twice over the data connection.
void FtpDialogue::sendRetr()
{
    if (step_ != FtpStep::RestSent)
        return;
    control_->send("RETR " + parts_.RemotePath.toUtf8());
    setStep(FtpStep::RetrSent);
}

void FtpDialogue::retrReply(const FtpReply& reply)
{
    switch (reply.code) {
    case 125:
    case 150: transferStarts(reply); break;
    case 226:
    case 250:
    case 426:
        if (step_ != FtpStep::Transferring)
            break;
        setStep(FtpStep::ServerDone);
        checkEnd();
        break;
    case 550:
        control_->close();
        setStep(FtpStep::Refused);
        callbacks_.onNotFound();
        break;
    case 425:
        setStep(FtpStep::Refused);
        callbacks_.onFail(text("11043", QStringLiteral("Could Not Establish Data Connection")));
        break;
    default:
        if (reply.code >= 400) {
            setStep(FtpStep::Refused);
            callbacks_.onFail(text("11078", QStringLiteral("The server could not send the file: %1")).arg(reply.text));
        }
        break;
    }
}

void FtpDialogue::transferStarts(const FtpReply& reply)
{
    if (step_ != FtpStep::RetrSent)
        return;
    static const QRegularExpression sizePattern(QStringLiteral("\\((\\d+)\\s*bytes?\\)"),
                                                QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = sizePattern.match(reply.text);
    const qint64 size = match.hasMatch() ? match.captured(1).toLongLong() : -1;
    if (!callbacks_.onTransferStarts(size, restAccepted_))
        return;
    setStep(FtpStep::Transferring);
    control_->releaseData();
}

// The transfer is over once the server has said so and the data connection
// has closed, in either order.
void FtpDialogue::checkEnd()
{
    if (step_ != FtpStep::ServerDone || !control_->dataClosed())
        return;
    setStep(FtpStep::Ended);
    callbacks_.onEnded();
}
