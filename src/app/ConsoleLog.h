#pragma once

#include <QObject>

class DownloadJob;

// What KEVA without windows tells on standard error: each download that
// starts, and how it ends.
class ConsoleLog : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Tells that `job` starts, and later how it ended.
    void watch(DownloadJob& job);

private:
    void completed();
    void failed(const QString& text);
};
