#include "ConfirmationPrompt.h"

#include <QMessageBox>
#include <QPushButton>

namespace quorvane::app {

namespace {

std::optional<bool> &nextAnswer()
{
    static std::optional<bool> answer;
    return answer;
}

std::optional<ConfirmationPrompt::Question> &asked()
{
    static std::optional<ConfirmationPrompt::Question> question;
    return question;
}

} // namespace

void ConfirmationPrompt::ask(QWidget *parent, const Question &question, std::function<void(bool)> answered)
{
    asked() = question;
    if (const std::optional<bool> answer = std::exchange(nextAnswer(), std::nullopt)) {
        answered(*answer);
        return;
    }
    auto *box =
        new QMessageBox(QMessageBox::Warning, question.title, question.text, QMessageBox::NoButton, parent);
    box->setObjectName(QStringLiteral("confirmationPrompt"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton *confirm = box->addButton(question.confirmLabel, QMessageBox::AcceptRole);
    QPushButton *cancel = box->addButton(question.cancelLabel, QMessageBox::RejectRole);
    box->setDefaultButton(cancel);
    QObject::connect(box, &QMessageBox::finished, box,
                     [box, confirm, answered] { answered(box->clickedButton() == confirm); });
    box->open();
}

void ConfirmationPrompt::setNextAnswer(bool confirmed)
{
    nextAnswer() = confirmed;
}

std::optional<ConfirmationPrompt::Question> ConfirmationPrompt::lastQuestion()
{
    return asked();
}

void ConfirmationPrompt::reset()
{
    nextAnswer().reset();
    asked().reset();
}

} // namespace quorvane::app
