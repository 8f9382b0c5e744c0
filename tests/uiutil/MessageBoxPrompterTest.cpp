#include "uiutil/MessageBoxPrompter.h"

#include "support/CaseName.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct BoxCase {
    const char* name;
    Prompter::Icon icon;
    Prompter::Buttons buttons;
    QMessageBox::Icon boxIcon;
    QMessageBox::StandardButton click;
    Prompter::Answer answer;
};

class MessageBoxPrompterCases : public testing::TestWithParam<BoxCase> { };

// Shows a real box offscreen, checks what it shows and clicks one of its buttons.
TEST_P(MessageBoxPrompterCases, ShowsTheBoxAndReportsTheButton)
{
    const BoxCase& c = GetParam();
    QString seenText;
    QString seenCaption;
    QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seenText = box->text();
        seenCaption = box->windowTitle();
        seenIcon = box->icon();
        box->button(c.click)->click();
    });
    MessageBoxPrompter prompter;
    EXPECT_EQ(prompter.ask(QStringLiteral("Invalid URL"), QStringLiteral("Quillspan"), c.icon, c.buttons), c.answer);
    EXPECT_EQ(seenText, QStringLiteral("Invalid URL"));
    EXPECT_EQ(seenCaption, QStringLiteral("Quillspan"));
    EXPECT_EQ(seenIcon, c.boxIcon);
}

INSTANTIATE_TEST_SUITE_P(Cases, MessageBoxPrompterCases,
                         testing::Values(BoxCase {"Ok", Prompter::Icon::Exclamation, Prompter::Buttons::Ok,
                                                  QMessageBox::Warning, QMessageBox::Ok, Prompter::Answer::Ok},
                                         BoxCase {"Yes", Prompter::Icon::Question, Prompter::Buttons::YesNo,
                                                  QMessageBox::Question, QMessageBox::Yes, Prompter::Answer::Yes},
                                         BoxCase {"No", Prompter::Icon::Question, Prompter::Buttons::YesNoCancel,
                                                  QMessageBox::Question, QMessageBox::No, Prompter::Answer::No},
                                         BoxCase {"Cancel", Prompter::Icon::Critical, Prompter::Buttons::OkCancel,
                                                  QMessageBox::Critical, QMessageBox::Cancel, Prompter::Answer::Cancel},
                                         BoxCase {"Retry", Prompter::Icon::Information, Prompter::Buttons::RetryCancel,
                                                  QMessageBox::Information, QMessageBox::Retry,
                                                  Prompter::Answer::Retry}),
                         CaseName());

} // namespace
