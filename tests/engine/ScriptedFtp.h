#pragma once

#include "engine/ConnectionFactory.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <deque>
#include <optional>

// A scripted FTP server for the FTP dialogue: the commands sent are kept in
// order, and the test answers them one reply at a time, each matched to the
// oldest command still waiting for its final reply, as a server answers.
class ScriptedFtp {
public:
    QList<QByteArray> sent;
    int opens = 0;
    bool released = false;
    // The control connection runs over IPv6.
    bool overIpv6 = false;
    // What PORT would carry, or nothing when no local port is free.
    std::optional<QByteArray> activeArgument = QByteArray("127,0,0,1,12,77");
    // What EPRT would carry.
    std::optional<QByteArray> extendedArgument = QByteArray("|2|::1|3149|");

    ConnectionFactory factory();
    // The next reply of the control connection.
    void reply(int code, const QString& text = QStringLiteral("ok"));
    // Bytes on the data connection, and its end.
    void data(const QByteArray& bytes);
    void closeData();

private:
    class Control;
    Control* control_ = nullptr;
};
