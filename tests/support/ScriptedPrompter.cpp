#include "support/ScriptedPrompter.h"

#include <utility>

Prompter::Answer ScriptedPrompter::ask(const QString& text, const QString& caption, Icon icon, Buttons buttons)
{
    shown.append({text, caption, icon, buttons});
    if (whileOpen)
        std::exchange(whileOpen, {})();
    if (!answers_.isEmpty())
        return answers_.takeFirst();
    const bool hasOk = buttons == Buttons::Ok || buttons == Buttons::OkCancel;
    return hasOk ? Answer::Ok : Answer::Yes;
}
