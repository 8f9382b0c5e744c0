#pragma once

#include "platform/Prompter.h"

// Message boxes for a program without windows: each text goes to standard
// error, and every question is answered with its cautious choice (No, Cancel).
class ConsolePrompter : public Prompter {
public:
    Answer ask(const QString& text, const QString& caption, Icon icon, Buttons buttons) override;
};
