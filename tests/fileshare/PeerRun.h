#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Runs a peer program to its end and keeps what it printed.
struct PeerRun {
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;

    static PeerRun run(const QString& program, const QStringList& arguments, int timeoutMs = 60000);
};
