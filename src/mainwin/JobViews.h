#pragma once

#include "engine/JobList.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>

// The five lists of the main window: today's jobs (lstMain) and the history
// (lstAll), with the history again by age (yesterday, 2 to 8 days back, 9 to
// 38 days back). Exactly one list is shown; the view tree picks it.
class JobViews : public QObject {
    Q_OBJECT
public:
    enum class View { Downloads, All, Yesterday, PastWeek, PastMonth };

    explicit JobViews(QObject* parent = nullptr);

    JobList lstMain;
    JobList lstAll;
    JobList lstYest;
    JobList lstWeek;
    JobList lstMonth;

    JobList& list(View view);
    View shown() const { return shown_; }
    JobList& GetCurList() { return list(shown_); }

    // The tree's node keys: "Downloads", "History", "All", "Ysterday",
    // "PastWeek", "PastMonth". Any other key changes nothing. A click on a
    // node and a command that shows a list both go through here, so the tree
    // follows whatever switched the list.
    void selectNode(const QString& key);
    // The key of the node that names the shown list ("History" and "All"
    // both show lstAll).
    QString shownNode() const { return shownNode_; }

    // Reads the history file and sorts its rows into the lists by the age of
    // their date on `today`. A damaged file is read as far as it goes and kept
    // beside itself (see damagedCopy), so the next save loses nothing.
    void LoadHistory(const QString& path, const QDate& today);
    // Rows of lstMain that still say they run (`runningTexts`), though nothing
    // runs before the user or the schedule starts them again (the last run
    // ended in the middle of them), say `stopped` instead.
    void markInterrupted(const QStringList& runningTexts, const QString& stopped);
    // Writes the history (or deletes the file when both lists are empty).
    bool SaveHistory(const QString& path, const QDate& today) const;
    // Where the last load kept a copy of a damaged file; empty when it did not.
    QString damagedCopy() const { return damagedCopy_; }

    // The queue menu, on the shown list.
    void clearShown();
    void selectAllShown(bool selected);
    void removeSelectionShown();
    // A click on a column header of lstMain: sorts by it, toggling the order.
    void sortMain(int subItem);
    bool mainAscending() const { return mainAscending_; }

signals:
    void shownChanged(View view);

private:
    View shown_ = View::Downloads;
    QString shownNode_ = QStringLiteral("Downloads");
    QString damagedCopy_;
    bool mainAscending_ = true;
};
