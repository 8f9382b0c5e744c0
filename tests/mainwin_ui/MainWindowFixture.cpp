#include "MainWindowFixture.h"

#include "engine/DownloadJob.h"

#include <QAction>
#include <QCoreApplication>

void MainWindowFixture::SetUp()
{
    home.installLanguageFiles();
    context = &home.newContext();
    windows = std::make_unique<DownloadWindows>(*context, views.lstMain);
    state = std::make_unique<MainWindowState>(*context, intake, *windows, views, [] { return kToday; });
    window = std::make_unique<frmMain>(*state, views, [this] { return trayAvailable; });
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

SlowTransfers& MainWindowFixture::transfers()
{
    if (!transfers_)
        transfers_ = std::make_unique<SlowTransfers>();
    return *transfers_;
}

DownloadJob* MainWindowFixture::transferringJob(const QString& name)
{
    return transfers().start(*windows, home.path(name));
}
