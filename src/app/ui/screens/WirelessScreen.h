#pragma once

#include <QList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace quorvane::app {

class AppModel;
class BusyIndicator;
class StatusMessageRow;

// Moving a phone between USB and Wi-Fi, the remembered wireless phones and manual pairing; the remembered
// list is re-read each time the screen is shown.
class WirelessScreen final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WirelessScreen)

public:
    explicit WirelessScreen(AppModel *model, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *switchCard();
    QWidget *rememberedCard();
    QWidget *manualCard();
    void rebuildRemembered();
    void refresh();

    AppModel *m_model;
    QPushButton *m_toWifi;
    QPushButton *m_toUsb;
    BusyIndicator *m_busy;
    StatusMessageRow *m_status;
    QLabel *m_empty;
    QVBoxLayout *m_remembered;
    QToolButton *m_manualToggle;
    QWidget *m_manual;
    QLineEdit *m_pairingAddress;
    QLineEdit *m_pairingCode;
    QLineEdit *m_manualAddress;
    QPushButton *m_pair;
    StatusMessageRow *m_pairingProblem;
    // Every control that waits while a wireless action runs; the row buttons go with their rows.
    QList<QWidget *> m_manualActions;
    QList<QWidget *> m_rowActions;
};

} // namespace quorvane::app
