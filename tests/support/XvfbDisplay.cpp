#include "support/XvfbDisplay.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

XvfbDisplay::~XvfbDisplay()
{
    if (server_.state() != QProcess::NotRunning) {
        server_.terminate();
        if (!server_.waitForFinished(5000))
            server_.kill();
        server_.waitForFinished(5000);
    }
}

bool XvfbDisplay::isInstalled()
{
    return QFile::exists(QStringLiteral("/usr/bin/Xvfb")) && QFile::exists(QStringLiteral("/usr/bin/xdotool"));
}

bool XvfbDisplay::start()
{
    if (!isInstalled()) {
        errorText_ = QStringLiteral("Xvfb or xdotool is not installed");
        return false;
    }
    // Xvfb picks a free display number and writes it to the descriptor given.
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        errorText_ = QStringLiteral("no pipe");
        return false;
    }
    server_.setChildProcessModifier([writeEnd = pipeEnds[1]] { ::fcntl(writeEnd, F_SETFD, 0); });
    server_.start(QStringLiteral("/usr/bin/Xvfb"),
                  {QStringLiteral("-displayfd"), QString::number(pipeEnds[1]), QStringLiteral("-screen"),
                   QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                   QStringLiteral("tcp")});
    ::close(pipeEnds[1]);
    QByteArray number;
    char c = 0;
    while (::read(pipeEnds[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(pipeEnds[0]);
    if (number.isEmpty()) {
        errorText_ = QStringLiteral("Xvfb did not start: ") + QString::fromLocal8Bit(server_.readAllStandardError());
        return false;
    }
    display_ = QLatin1Char(':') + QString::fromLatin1(number);
    return true;
}

QString XvfbDisplay::xdotool(const QStringList& arguments, int timeoutMs) const
{
    // A search that waits (--sync) gives up at once when a window goes away
    // while it looks (X's BadWindow): it is run again until its time is up.
    const bool waits = arguments.value(0) == QStringLiteral("search") && arguments.contains(QStringLiteral("--sync"));
    const QDeadlineTimer deadline(timeoutMs);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display_);
    for (;;) {
        QProcess tool;
        tool.setProcessEnvironment(environment);
        tool.start(QStringLiteral("/usr/bin/xdotool"), arguments);
        tool.waitForFinished(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)));
        const QString output = QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
        if (!output.isEmpty() || !waits || deadline.hasExpired())
            return output;
        QThread::msleep(100);
    }
}
