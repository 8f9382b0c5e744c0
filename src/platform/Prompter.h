#pragma once

#include <QString>

// Message boxes. Code that asks or tells the user something goes through a
// Prompter: the program gives it one that shows a real box, tests give one
// that records the texts and answers from a script.
class Prompter {
public:
    enum class Icon { None, Information, Question, Exclamation, Critical };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
    enum class Answer { Ok, Cancel, Yes, No, Retry };

    virtual ~Prompter() = default;

    virtual Answer ask(const QString& text, const QString& caption, Icon icon, Buttons buttons) = 0;

    // A message with only an OK button.
    void tell(const QString& text, const QString& caption, Icon icon) { ask(text, caption, icon, Buttons::Ok); }
};
