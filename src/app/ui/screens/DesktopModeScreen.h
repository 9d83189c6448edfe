#pragma once

#include <QWidget>

#include <QCoroTask>

class QLabel;
class QPushButton;

namespace quorvane::app {

class AppModel;
class BusyIndicator;
class DesktopSettings;
class OnShowWork;

// Desktop Mode: what the phone supports for a second display, its geometry and environment, and the
// preparation of the phone's desktop settings (behind a confirmation, since it reboots the phone). Files
// dropped anywhere on it are pushed to the phone.
// Probes the phone when shown and nothing is known yet, and again when a device inspection clears what was
// known while the screen is shown.
class DesktopModeScreen final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DesktopModeScreen)

public:
    explicit DesktopModeScreen(AppModel *model, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QCoro::Task<void> prepareOnShow();
    QWidget *headerCard();
    QWidget *capabilitiesCard();
    QWidget *quickActionsCard();
    QWidget *geometryCard();
    QWidget *environmentCard();
    QWidget *prepareCard();
    void confirmEnable();
    void refreshCapabilities();
    void refreshBusy();

    AppModel *m_model;
    DesktopSettings *m_settings;
    OnShowWork *m_preparation;
    QLabel *m_status;
    QPushButton *m_probe;
    BusyIndicator *m_busy;
    QList<std::pair<QLabel *, QString>> m_rows;
    QLabel *m_summary;
    QLabel *m_message;
    QLabel *m_launcher;
    QPushButton *m_screenshot;
    QPushButton *m_enable;
    QPushButton *m_restore;
};

} // namespace quorvane::app
