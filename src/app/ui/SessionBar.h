#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace quorvane::app {

class AppModel;
class LaunchMessageBadge;
class PrimaryActionButton;
class StatusPill;

// The strip above every screen: what the session is doing, for which device, how the last launch went,
// and the one button that starts (or restarts) the current mode.
class SessionBar final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SessionBar)

public:
    explicit SessionBar(AppModel *model, QWidget *parent = nullptr);

    static QString stateText(const AppModel &model);
    static QString deviceText(const AppModel &model);
    // Why the primary button cannot start a session now: the first reason that applies, "" for none.
    static QString launchHint(const AppModel &model);

private:
    void refresh();

    AppModel *m_model;
    StatusPill *m_pill;
    QLabel *m_deviceIcon;
    QLabel *m_device;
    LaunchMessageBadge *m_badge;
    QPushButton *m_cancelReconnect;
    QPushButton *m_stop;
    PrimaryActionButton *m_primary;
};

} // namespace quorvane::app
