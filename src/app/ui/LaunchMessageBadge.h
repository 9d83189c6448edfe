#pragma once

#include <QWidget>

class QLabel;

namespace quorvane::app {

// The outcome of the last launch in the session bar: a check mark when it went well, an octagon with an
// exclamation mark when it failed. Hidden while there is no message.
class LaunchMessageBadge final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LaunchMessageBadge)

public:
    explicit LaunchMessageBadge(QWidget *parent = nullptr);

    void setMessage(const QString &message, bool failed);

    QString message() const;
    bool failed() const { return m_failed; }
    QString symbol() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_icon;
    QLabel *m_text;
    bool m_failed = false;
};

} // namespace quorvane::app
