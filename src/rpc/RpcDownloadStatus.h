#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What the remote-control interface tells of one download, as the download
// list knows it: plain values, sizes in bytes, speeds in bytes a second.
struct RpcDownloadStatus {
    enum class State { Active, Waiting, Paused, Error, Complete, Removed };
    struct File {
        QString path; // empty while the name is not known yet
        qint64 length = 0;
        qint64 completedLength = 0;
        QStringList uris;
    };

    QString gid; // 16 lower-case hex digits, made by the download list
    State state = State::Waiting;
    qint64 totalLength = 0;
    qint64 completedLength = 0;
    qint64 downloadSpeed = 0;
    int connections = 0;
    QString dir;
    QList<File> files;
    // For a download that ended: 0 when it completed, else why it failed.
    int errorCode = 0;
    QString errorMessage;
};
