#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;

namespace quorvane::app {

class AppModel;
class BusyIndicator;
class CameraSettings;

// Camera Mode: the Android requirement, the camera probe, which camera and how it streams, audio and
// recording. Still frames cannot be captured from a camera stream; the screen says so.
class CameraModeScreen final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CameraModeScreen)

public:
    explicit CameraModeScreen(AppModel *model, QWidget *parent = nullptr);

private:
    QWidget *headerCard();
    QWidget *selectionCard();
    QWidget *qualityCard();
    QWidget *zoomAndFramingCard();
    QWidget *audioCard();
    QWidget *recordingCard();
    QWidget *fpsButtons();
    void refreshDevice();
    void refreshCameras();
    void refreshBusy();

    AppModel *m_model;
    CameraSettings *m_settings;
    QLabel *m_requirement;
    QPushButton *m_probe;
    BusyIndicator *m_probeBusy;
    QPushButton *m_resetToAuto;
    QComboBox *m_cameraId;
    QWidget *m_byId;
    QWidget *m_byFacing;
};

} // namespace quorvane::app
