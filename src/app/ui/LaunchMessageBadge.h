#pragma once

#include "MessageTone.h"

#include <QWidget>

class QLabel;

namespace quorvane::app {

class ElidedText;

// The outcome of the last launch in the session bar, on a wash of its tone's colour: an hourglass while
// it is under way, a check mark when it went well, an octagon when it failed. At most two lines, the
// whole message in the tooltip. Hidden while there is no message.
class LaunchMessageBadge final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LaunchMessageBadge)

public:
    explicit LaunchMessageBadge(QWidget *parent = nullptr);

    void setMessage(const QString &message, MessageTone tone);

    QString message() const;
    MessageTone tone() const { return m_tone; }
    QString symbol() const;
    // The height the badge takes with its longest message.
    int fullHeight() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void restyle();

    QLabel *m_icon;
    ElidedText *m_text;
    MessageTone m_tone = MessageTone::Success;
};

} // namespace quorvane::app
