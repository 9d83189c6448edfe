#include "ConfirmationPrompt.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

namespace quorvane::app {

namespace {

std::optional<bool> &nextAnswer()
{
    static std::optional<bool> answer;
    return answer;
}

std::optional<QString> &nextFile()
{
    static std::optional<QString> path;
    return path;
}

std::optional<ConfirmationPrompt::Question> &asked()
{
    static std::optional<ConfirmationPrompt::Question> question;
    return question;
}

void openFileDialog(QWidget *parent, const QString &title, const QString &start, QFileDialog::AcceptMode mode,
                    std::function<void(std::optional<QString>)> chosen)
{
    if (const std::optional<QString> path = std::exchange(nextFile(), std::nullopt)) {
        chosen(path->isEmpty() ? std::nullopt : path);
        return;
    }
    auto *dialog = new QFileDialog(parent, title, start);
    dialog->setObjectName(QStringLiteral("filePrompt"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, chosen](int result) {
        const QStringList files = dialog->selectedFiles();
        chosen(result == QDialog::Accepted && !files.isEmpty() ? std::optional(files.first()) : std::nullopt);
    });
    dialog->open();
}

} // namespace

void ConfirmationPrompt::ask(QWidget *parent, const Question &question, std::function<void(bool)> answered)
{
    asked() = question;
    if (const std::optional<bool> answer = std::exchange(nextAnswer(), std::nullopt)) {
        answered(*answer);
        return;
    }
    // The question is in the body as well: some window managers draw no title bar to carry it.
    auto *box =
        new QMessageBox(QMessageBox::Warning, question.title, question.title, QMessageBox::NoButton, parent);
    box->setInformativeText(question.text);
    box->setObjectName(QStringLiteral("confirmationPrompt"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton *confirm = box->addButton(question.confirmLabel, QMessageBox::AcceptRole);
    QPushButton *cancel = box->addButton(question.cancelLabel, QMessageBox::RejectRole);
    box->setDefaultButton(cancel);
    QObject::connect(box, &QMessageBox::finished, box,
                     [box, confirm, answered] { answered(box->clickedButton() == confirm); });
    box->open();
}

void ConfirmationPrompt::chooseFile(QWidget *parent, const QString &title, const QString &directory,
                                    std::function<void(std::optional<QString>)> chosen)
{
    openFileDialog(parent, title, directory, QFileDialog::AcceptOpen, std::move(chosen));
}

void ConfirmationPrompt::chooseNewFile(QWidget *parent, const QString &title, const QString &suggestedPath,
                                       std::function<void(std::optional<QString>)> chosen)
{
    openFileDialog(parent, title, suggestedPath, QFileDialog::AcceptSave, std::move(chosen));
}

void ConfirmationPrompt::setNextFile(const QString &path)
{
    nextFile() = path;
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
    nextFile().reset();
    asked().reset();
}

} // namespace quorvane::app
