#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace quorvane::app {

// The questions a window asks the user: a confirmation before something it cannot undo, or a file to
// use. The dialogs open without a nested event loop; tests answer them in advance (setNextAnswer,
// setNextFile) and read what was asked.
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

    // Asks for an existing file, starting in directory; chosen gets its path, or nothing on a cancel.
    static void chooseFile(QWidget *parent, const QString &title, const QString &directory,
                           std::function<void(std::optional<QString>)> chosen);
    // Asks where to write a new file, suggesting suggestedPath; answered like chooseFile().
    static void chooseNewFile(QWidget *parent, const QString &title, const QString &suggestedPath,
                              std::function<void(std::optional<QString>)> chosen);

    // The next ask() answers this at once instead of opening a dialog.
    static void setNextAnswer(bool confirmed);
    // The next chooseFile() or chooseNewFile() answers this at once; an empty path stands for a cancel.
    static void setNextFile(const QString &path);
    static std::optional<Question> lastQuestion();
    static void reset();
};

} // namespace quorvane::app
