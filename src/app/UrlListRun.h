#pragma once

#include "app/KevaGetOptions.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QTimer>

#include <vector>

class DownloadJob;
class DownloadWindows;

// kevaget -i: the URLs of a list, fetched in their order through one table of
// download slots, at most `-j` of them at a time, each under its own name in
// the current folder with the options of the command line. Two URLs that
// name the same file never run together: the later one waits, then finds the
// file as any existing file (-c, -f, or left alone). Each file that ends is
// told on a line of its own (its path on stdout, a failure on stderr); on a
// terminal one line below them counts what is done. A summary ends the run.
class UrlListRun : public QObject {
    Q_OBJECT
public:
    UrlListRun(DownloadWindows& windows, const KevaGetOptions& options, bool terminal, QObject* parent = nullptr);

    void start(const QStringList& urls);
    // Ctrl-C and the like: the running downloads stop as a pause does, keeping
    // what -c needs to go on later.
    void interrupt();

signals:
    // All URLs ended: 0 when every file is complete, else 1.
    void finished(int exitCode);

private:
    enum class State { Waiting, Running, Finished, Failed };
    struct Entry {
        QString url;
        QString savePath;
        State state = State::Waiting;
        QString reason; // why it failed
        QPointer<DownloadJob> job;
    };

    // Starts waiting URLs, in order, while fewer than `-j` run.
    void startMore();
    // An earlier URL of the list that names the same file has not ended.
    bool waitsForAnother(std::size_t index) const;
    void begin(std::size_t index);
    void watch(std::size_t index, DownloadJob& job);
    void end(std::size_t index, bool complete, const QString& reason);
    int count(State state) const;
    void showProgress();
    QString summary() const;

    DownloadWindows& windows_;
    const KevaGetOptions& options_;
    const bool terminal_;
    std::vector<Entry> entries_;
    bool stopping_ = false;
    bool summarised_ = false;
    QTimer progress_;
    QTextStream out_;
    QTextStream err_;
};
