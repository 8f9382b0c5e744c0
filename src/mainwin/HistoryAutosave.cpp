#include "mainwin/HistoryAutosave.h"

#include "mainwin/JobViews.h"

HistoryAutosave::HistoryAutosave(JobViews& views, std::function<void()> save, QObject* parent)
    : QObject(parent)
    , save_(std::move(save))
{
    timer_.setSingleShot(true);
    timer_.setInterval(kDelayMs);
    connect(&timer_, &QTimer::timeout, this, &HistoryAutosave::saveNow);
    for (JobList* list : {&views.lstMain, &views.lstAll}) {
        connect(list, &JobList::rowsAdded, this, &HistoryAutosave::changed);
        connect(list, &JobList::rowChanged, this, &HistoryAutosave::changed);
        connect(list, &JobList::rowRemoved, this, &HistoryAutosave::changed);
        connect(list, &JobList::cleared, this, &HistoryAutosave::changed);
        connect(list, &JobList::rowsRearranged, this, &HistoryAutosave::changed);
    }
}

void HistoryAutosave::start()
{
    watching_ = true;
}

void HistoryAutosave::stop()
{
    watching_ = false;
    timer_.stop();
}

void HistoryAutosave::changed()
{
    if (watching_ && !timer_.isActive())
        timer_.start();
}

void HistoryAutosave::saveNow()
{
    if (!watching_)
        return;
    timer_.stop();
    save_();
}
