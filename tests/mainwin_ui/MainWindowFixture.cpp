#include "MainWindowFixture.h"

#include "CaptionHelpers.h"

#include "engine/DownloadJob.h"

#include <QAction>
#include <QCoreApplication>
#include <QTest>

void MainWindowFixture::SetUp()
{
    InstallShippedLanguageFile(home);
    context = &home.newContext();
    windows = std::make_unique<DownloadWindows>(*context, views.lstMain);
    state = std::make_unique<MainWindowState>(*context, *windows, views, [] { return kToday; });
    window = std::make_unique<frmMain>(*context, *state, views, [this] { return trayAvailable; });
}

void MainWindowFixture::TearDown()
{
    window.reset();
    state.reset();
    windows.reset();
}

QStringList MainWindowFixture::cells(const QString& name, int percent, const QDate& date)
{
    return {QStringLiteral("/tmp/%1.bin").arg(name),
            QStringLiteral("%1%").arg(percent),
            QStringLiteral("%1 KB").arg(percent * 10),
            QStringLiteral("%1 KB").arg(percent * 5),
            percent == 100 ? QStringLiteral("Download Completed!") : QStringLiteral("Paused/Stopped"),
            QStringLiteral("http://host/%1").arg(name),
            date.toString(QStringLiteral("M/d/yyyy"))};
}

QAction* MainWindowFixture::action(const char* name) const
{
    return window->findChild<QAction*>(QString::fromLatin1(name));
}

void MainWindowFixture::settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

DownloadJob* MainWindowFixture::startJob(const QString& name)
{
    int row = -1;
    return windows->StartJob(QStringLiteral("http://127.0.0.1:9/") + name, home.path(name), row);
}

DownloadJob* MainWindowFixture::transferringJob(const QString& name)
{
    files.sendBodies = false;
    int row = -1;
    DownloadJob* job = windows->StartJob(files.url(name), home.path(name), row);
    if (job && !QTest::qWaitFor([job] { return job->isTransferring(); }, 10000))
        return nullptr;
    return job;
}
