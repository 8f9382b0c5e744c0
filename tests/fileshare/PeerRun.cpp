#include "PeerRun.h"

#include <QProcess>

PeerRun PeerRun::run(const QString& program, const QStringList& arguments, int timeoutMs)
{
    PeerRun result;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        result.errors = "timed out";
        return result;
    }
    result.output = process.readAllStandardOutput();
    result.errors = process.readAllStandardError();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}
