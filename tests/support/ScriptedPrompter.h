#pragma once

#include "platform/Prompter.h"

#include <QList>
#include <QString>

#include <functional>

// Records every message box and answers from a script; once the script runs
// out it answers Ok (or Yes, where there is no Ok).
class ScriptedPrompter : public Prompter {
public:
    struct Shown {
        QString text;
        QString caption;
        Icon icon;
        Buttons buttons;
    };

    Answer ask(const QString& text, const QString& caption, Icon icon, Buttons buttons) override;

    void script(std::initializer_list<Answer> answers) { answers_.append(answers); }

    QList<Shown> shown;
    // Runs while a message is open, as events run under a modal message box.
    std::function<void()> whileOpen;

private:
    QList<Answer> answers_;
};
