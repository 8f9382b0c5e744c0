#include "VantsvcProcess.h"

#include "support/TestHome.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

VantsvcProcess::VantsvcProcess(const QStringList& folders, const Launch& launch)
{
    QStringList arguments {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--bind"),
                           QStringLiteral("127.0.0.1")};
    for (const QString& folder : folders)
        arguments << QStringLiteral("--publish") << folder;
    if (!launch.environment.isEmpty())
        process_.setProcessEnvironment(launch.environment);
    if (launch.inChild)
        process_.setChildProcessModifier(launch.inChild);
    process_.start(launch.program.isEmpty() ? TestHome::binFolder() + QStringLiteral("/Vantsvc") : launch.program,
                   arguments);
    if (!process_.waitForStarted(10000))
        return;
    const QRegularExpression serving(QStringLiteral("serving http://127\\.0\\.0\\.1:(\\d+)/"));
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
        process_.waitForReadyRead(100);
        errors_ += QString::fromUtf8(process_.readAllStandardError());
        const QRegularExpressionMatch match = serving.match(errors_);
        if (match.hasMatch()) {
            port_ = static_cast<std::uint16_t>(match.captured(1).toUInt());
            return;
        }
    }
}

VantsvcProcess::~VantsvcProcess()
{
    terminate();
}

QString VantsvcProcess::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path);
}

int VantsvcProcess::terminate()
{
    if (process_.state() == QProcess::NotRunning)
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    process_.terminate();
    if (!process_.waitForFinished(10000)) {
        process_.kill();
        process_.waitForFinished(5000);
        return -1;
    }
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

QString VantsvcProcess::accessLog()
{
    process_.waitForReadyRead(50);
    log_ += QString::fromUtf8(process_.readAllStandardOutput());
    return log_;
}
