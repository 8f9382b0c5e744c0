#pragma once

#include <QObject>

class QWidget;

// For the start-up benchmark: with KEVA_REPORT_STARTUP=1 in the environment,
// the first time the main window is painted the program writes
//   shown after N ms, max RSS M kB
// to standard error (N counted from the start of the process, M the peak
// resident memory so far) and ends at once, saving nothing.
class StartupReport : public QObject {
    Q_OBJECT
public:
    // Watches `window` when the environment asks for the report.
    static void watch(QWidget& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};
