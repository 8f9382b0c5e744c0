#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class JobViews;

// Keeps the history file current while the program runs, so that a crash
// loses at most the last few seconds of changes: once watching, a change of
// today's rows or of the history's rows writes the file after kDelayMs (one
// write for all the changes of that time), and a job that ends writes it at
// once.
class HistoryAutosave : public QObject {
    Q_OBJECT
public:
    static constexpr int kDelayMs = 2000;

    HistoryAutosave(JobViews& views, std::function<void()> save, QObject* parent = nullptr);

    // From now on, changes are written; until stop().
    void start();
    void stop();
    // Writes now (when watching): a job ended.
    void saveNow();

private:
    void changed();

    std::function<void()> save_;
    QTimer timer_;
    bool watching_ = false;
};
