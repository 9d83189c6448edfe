#pragma once

#include "MessageTone.h"

#include <QWidget>

#include <optional>

class QLabel;

namespace quorvane::app {

class ElidedText;

// A status line under a group of controls (the wireless actions, a file push): at most two lines, the
// whole message in its tooltip, drawn as its tone says. Hidden while there is no message; a row that
// reserves its place keeps its height then, so a message coming and going moves nothing below it.
class StatusMessageRow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusMessageRow)

public:
    enum class Space { Collapse, Reserve };

    explicit StatusMessageRow(QWidget *parent = nullptr, Space space = Space::Collapse);

    void setMessage(const std::optional<QString> &message, MessageTone tone);

    std::optional<QString> message() const { return m_message; }
    MessageTone tone() const { return m_tone; }
    QString symbol() const;

private:
    void restyle();

    QLabel *m_icon;
    ElidedText *m_text;
    std::optional<QString> m_message;
    MessageTone m_tone = MessageTone::Success;
};

} // namespace quorvane::app
