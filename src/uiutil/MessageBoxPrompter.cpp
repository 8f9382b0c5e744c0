#include "uiutil/MessageBoxPrompter.h"

#include <QMessageBox>

namespace {

QMessageBox::Icon boxIcon(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::None: return QMessageBox::NoIcon;
    case Prompter::Icon::Information: return QMessageBox::Information;
    case Prompter::Icon::Question: return QMessageBox::Question;
    case Prompter::Icon::Exclamation: return QMessageBox::Warning;
    case Prompter::Icon::Critical: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(Prompter::Buttons buttons)
{
    switch (buttons) {
    case Prompter::Buttons::Ok: return QMessageBox::Ok;
    case Prompter::Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case Prompter::Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Prompter::Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Prompter::Buttons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

Prompter::Answer answerOf(int button)
{
    switch (button) {
    case QMessageBox::Ok: return Prompter::Answer::Ok;
    case QMessageBox::Yes: return Prompter::Answer::Yes;
    case QMessageBox::No: return Prompter::Answer::No;
    case QMessageBox::Retry: return Prompter::Answer::Retry;
    default: return Prompter::Answer::Cancel;
    }
}

} // namespace

MessageBoxPrompter::MessageBoxPrompter(QWidget* parent)
    : parent_(parent)
{
}

Prompter::Answer MessageBoxPrompter::ask(const QString& text, const QString& caption, Icon icon, Buttons buttons)
{
    QMessageBox box(boxIcon(icon), caption, text, boxButtons(buttons), parent_);
    return answerOf(box.exec());
}
