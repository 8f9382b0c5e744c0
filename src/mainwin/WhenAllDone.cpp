#include "mainwin/WhenAllDone.h"

#include "core/ProgramTitle.h"
#include "engine/DownloadJob.h"
#include "mainwin/SystemPower.h"
#include "settings/KevaContext.h"

#include <QProcess>
#include <QTimer>

#include <utility>

WhenAllDone::WhenAllDone(KevaContext& context, SystemPower& power, QObject* parent)
    : QObject(parent)
    , context_(context)
    , power_(power)
{
}

void WhenAllDone::watch(DownloadJob& job)
{
    ran_ = true;
    connect(&job, &DownloadJob::completedSuccessfully, this, &WhenAllDone::jobCompleted, Qt::UniqueConnection);
    connect(&job, &DownloadJob::failedWith, this, &WhenAllDone::jobEnded, Qt::UniqueConnection);
}

void WhenAllDone::jobCompleted()
{
    if (const auto* job = qobject_cast<const DownloadJob*>(sender()))
        lastFile_ = job->savePath();
    jobEnded();
}

// Looked at once the end has been handled everywhere: a download that
// starts because this one ended keeps the program busy.
void WhenAllDone::jobEnded()
{
    QTimer::singleShot(0, this, &WhenAllDone::check);
}

void WhenAllDone::check()
{
    if (!ran_ || (anythingToDo && anythingToDo()))
        return;
    ran_ = false;
    const QString file = std::exchange(lastFile_, QString());
    switch (const AllDoneAction action = allDoneActionOf(context_.appSettings.AllDoneAction)) {
    case AllDoneAction::Nothing: break;
    case AllDoneAction::RunCommand: runCommand(file); break;
    case AllDoneAction::Suspend:
    case AllDoneAction::PowerOff: countDown(action); break;
    }
}

// The file goes after the command's own arguments; without a finished file
// (every download failed), nothing does.
void WhenAllDone::runCommand(const QString& file)
{
    const QString command = context_.appSettings.AllDoneCommand;
    QStringList arguments = QProcess::splitCommand(command);
    if (arguments.isEmpty())
        return;
    const QString program = arguments.takeFirst();
    if (!file.isEmpty())
        arguments.append(file);
    if (!context_.shell.run(program, arguments))
        context_.prompter.tell(context_.text.GetText(QStringLiteral("11176"), QStringLiteral("Could not run %1."))
                                   .arg(context_.text.leftToRight(command)),
                               kProgramTitle, Prompter::Icon::Exclamation);
}

void WhenAllDone::countDown(AllDoneAction action)
{
    if (countdown_)
        return;
    const bool suspend = action == AllDoneAction::Suspend;
    const QString message = suspend
        ? context_.text.GetText(QStringLiteral("11171"), QStringLiteral("The computer will suspend in %1 seconds."))
        : context_.text.GetText(QStringLiteral("11172"), QStringLiteral("The computer will shut down in %1 seconds."));
    countdown_ = new PowerCountdown(message, countdownSeconds, this);
    connect(countdown_, &PowerCountdown::due, this, [this, suspend] {
        const QString why = suspend ? power_.suspend() : power_.powerOff();
        if (!why.isEmpty())
            context_.prompter.tell(context_.text
                                       .GetText(QStringLiteral("11177"),
                                                QStringLiteral("The computer could not be suspended or shut down: %1"))
                                       .arg(why),
                                   kProgramTitle, Prompter::Icon::Exclamation);
    });
    if (showCountdown)
        showCountdown(*countdown_);
    countdown_->start();
}
