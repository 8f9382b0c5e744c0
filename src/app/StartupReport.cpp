#include "app/StartupReport.h"

#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace {

// Milliseconds since the kernel started this process (its start time in
// /proc/self/stat counts clock ticks since boot).
long long msSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the command name in parentheses; the start time is field 22.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    constexpr int kStartTime = 22 - 3;
    if (fields.size() <= kStartTime)
        return -1;
    const double started = fields[kStartTime].toDouble() / static_cast<double>(sysconf(_SC_CLK_TCK));
    timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<long long>((static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9 - started)
                                  * 1000);
}

// The peak resident memory of the process, from /proc/self/status.
QByteArray peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("?");
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0);
    }
    return QByteArrayLiteral("?");
}

} // namespace

void StartupReport::watch(QWidget& window)
{
    if (qEnvironmentVariable("KEVA_REPORT_STARTUP") == QStringLiteral("1"))
        window.installEventFilter(new StartupReport(&window));
}

bool StartupReport::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint) {
        // Reports once the whole window (its controls too) has been painted.
        QTimer::singleShot(0, [] {
            std::fprintf(stderr, "shown after %lld ms, max RSS %s kB\n", msSinceProcessStart(),
                         peakResidentKb().constData());
            std::fflush(stderr);
            std::_Exit(0);
        });
        watched->removeEventFilter(this);
    }
    return QObject::eventFilter(watched, event);
}
