#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace quorvane::app {

// The question a screen asks before something it cannot undo. The dialog opens without a nested event
// loop; tests answer it in advance with setNextAnswer and read what was asked.
class ConfirmationPrompt
{
public:
    struct Question
    {
        QString title;
        QString text;
        QString confirmLabel;
        QString cancelLabel;
    };

    static void ask(QWidget *parent, const Question &question, std::function<void(bool)> answered);

    // The next ask() answers this at once instead of opening a dialog.
    static void setNextAnswer(bool confirmed);
    static std::optional<Question> lastQuestion();
    static void reset();
};

} // namespace quorvane::app
