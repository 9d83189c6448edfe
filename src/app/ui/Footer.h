#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QToolButton;

namespace quorvane::app {

class AppModel;
class BusyIndicator;
class StatusPill;

// The device status line under the window: the runtime and device state, the device picker, the running
// sessions with "Stop all" and a refresh of the device list.
class Footer final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Footer)

public:
    explicit Footer(AppModel *model, QWidget *parent = nullptr);

    static QString statusText(const AppModel &model);

private:
    void refreshStatus();
    void refreshDevices();
    void refreshSessions();
    void pickDevice(int index);

    AppModel *m_model;
    StatusPill *m_pill;
    QComboBox *m_picker;
    QLabel *m_sessions;
    QPushButton *m_stopAll;
    QToolButton *m_refresh;
    BusyIndicator *m_refreshing;
};

} // namespace quorvane::app
