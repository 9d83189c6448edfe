#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;

namespace quorvane::app {

class AppModel;
class BusyIndicator;
class MirrorPhoneSettings;
class OnShowWork;

// Mirror Phone: the device, the smart profile, saved profiles, quick actions and every mirror setting.
// Files dropped anywhere on it are pushed to the phone. Asks for a recommendation when shown without one,
// and again when a device inspection clears it while the screen is shown.
class MirrorPhoneScreen final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MirrorPhoneScreen)

public:
    explicit MirrorPhoneScreen(AppModel *model, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *deviceCard();
    QWidget *smartProfileCard();
    QWidget *profilesCard();
    QWidget *quickActionsCard();
    QWidget *qualityCard();
    QWidget *audioCard();
    QWidget *togglesCard();
    QWidget *advancedCard();
    void refreshDevice();
    void refreshRecommendation();
    void refreshProfiles();
    void refreshBusy();

    AppModel *m_model;
    MirrorPhoneSettings *m_settings;
    OnShowWork *m_recommendation;
    QLabel *m_deviceModel;
    QLabel *m_deviceVersion;
    QLabel *m_deviceConnection;
    QLabel *m_deviceEmpty;
    QLabel *m_qualityLabel;
    QLabel *m_rationale;
    QPushButton *m_resetToAuto;
    QPushButton *m_recompute;
    QComboBox *m_profile;
    QPushButton *m_applyProfile;
    QPushButton *m_deleteProfile;
    QPushButton *m_screenshot;
    BusyIndicator *m_screenshotBusy;
};

} // namespace quorvane::app
