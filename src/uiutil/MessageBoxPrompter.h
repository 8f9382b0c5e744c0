#pragma once

#include "platform/Prompter.h"

class QWidget;

// Shows each question in a modal QMessageBox.
class MessageBoxPrompter : public Prompter {
public:
    explicit MessageBoxPrompter(QWidget* parent = nullptr);

    Answer ask(const QString& text, const QString& caption, Icon icon, Buttons buttons) override;

private:
    QWidget* parent_;
};
