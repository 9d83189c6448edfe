#pragma once

#include <QWidget>

#include <optional>

class QLabel;

namespace quorvane::app {

// A status line under a group of controls (the wireless actions, a file push): the message in full,
// selectable so it can be copied, marked as a failure or not. Hidden while there is no message.
class StatusMessageRow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusMessageRow)

public:
    explicit StatusMessageRow(QWidget *parent = nullptr);

    void setMessage(const std::optional<QString> &message, bool failed);

    std::optional<QString> message() const { return m_message; }
    bool failed() const { return m_failed; }
    QString symbol() const;

private:
    QLabel *m_icon;
    QLabel *m_text;
    std::optional<QString> m_message;
    bool m_failed = false;
};

} // namespace quorvane::app
