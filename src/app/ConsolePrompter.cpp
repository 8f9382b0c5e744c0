#include "app/ConsolePrompter.h"

#include <QTextStream>

Prompter::Answer ConsolePrompter::ask(const QString& text, const QString& caption, Icon icon, Buttons buttons)
{
    QTextStream err(stderr);
    const QString kind = icon == Icon::Critical || icon == Icon::Exclamation ? QStringLiteral("warning: ") : QString();
    err << '\n'
        << caption << ": " << kind << QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" ")) << Qt::endl;
    switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::YesNo: return Answer::No;
    case Buttons::OkCancel:
    case Buttons::YesNoCancel:
    case Buttons::RetryCancel: return Answer::Cancel;
    }
    return Answer::Cancel;
}
