#pragma once

#include "ModeSettings.h"

#include "LaunchConfig.h"
#include "Recommendation.h"

#include <QString>

#include <optional>

namespace quorvane::app {

// The Camera Mode screen's settings; builds the launch record of a camera session.
class CameraSettings final : public ModeSettings
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CameraSettings)
    Q_PROPERTY(std::optional<QString> cameraId READ cameraId WRITE setCameraId NOTIFY cameraIdChanged)
    Q_PROPERTY(QString cameraFacing READ cameraFacing WRITE setCameraFacing NOTIFY cameraFacingChanged)
    Q_PROPERTY(bool useExplicitCameraID READ useExplicitCameraID WRITE setUseExplicitCameraID NOTIFY
                   useExplicitCameraIDChanged)
    Q_PROPERTY(QString cameraSize READ cameraSize WRITE setCameraSize NOTIFY cameraSizeChanged)
    Q_PROPERTY(quint32 maxSize READ maxSize WRITE setMaxSize NOTIFY maxSizeChanged)
    Q_PROPERTY(quint32 maxFps READ maxFps WRITE setMaxFps NOTIFY maxFpsChanged)
    Q_PROPERTY(QString codec READ codec WRITE setCodec NOTIFY codecChanged)
    Q_PROPERTY(double zoom READ zoom WRITE setZoom NOTIFY zoomChanged)
    Q_PROPERTY(bool useZoom READ useZoom WRITE setUseZoom NOTIFY useZoomChanged)
    Q_PROPERTY(bool torch READ torch WRITE setTorch NOTIFY torchChanged)
    Q_PROPERTY(QString aspectRatio READ aspectRatio WRITE setAspectRatio NOTIFY aspectRatioChanged)
    Q_PROPERTY(bool highSpeed READ highSpeed WRITE setHighSpeed NOTIFY highSpeedChanged)
    Q_PROPERTY(double videoBitRate READ videoBitRate WRITE setVideoBitRate NOTIFY videoBitRateChanged)
    Q_PROPERTY(bool audio READ audio WRITE setAudio NOTIFY audioChanged)
    Q_PROPERTY(QString audioSource READ audioSource WRITE setAudioSource NOTIFY audioSourceChanged)
    Q_PROPERTY(bool record READ record WRITE setRecord NOTIFY recordChanged)
    Q_PROPERTY(bool fullscreen READ fullscreen WRITE setFullscreen NOTIFY fullscreenChanged)
    Q_PROPERTY(std::optional<QString> captureOrientation READ captureOrientation WRITE setCaptureOrientation
                   NOTIFY captureOrientationChanged)

public:
    explicit CameraSettings(QObject *parent = nullptr);

    LaunchConfig launchConfig(const QString &serial) const;
    void apply(const Recommendation &recommendation);

    const std::optional<QString> &cameraId() const { return m_cameraId; }
    const QString &cameraFacing() const { return m_cameraFacing; }
    bool useExplicitCameraID() const { return m_useExplicitCameraID; }
    const QString &cameraSize() const { return m_cameraSize; }
    quint32 maxSize() const { return m_maxSize; }
    quint32 maxFps() const { return m_maxFps; }
    const QString &codec() const { return m_codec; }
    double zoom() const { return m_zoom; }
    bool useZoom() const { return m_useZoom; }
    bool torch() const { return m_torch; }
    const QString &aspectRatio() const { return m_aspectRatio; }
    bool highSpeed() const { return m_highSpeed; }
    double videoBitRate() const { return m_videoBitRate; }
    bool audio() const { return m_audio; }
    const QString &audioSource() const { return m_audioSource; }
    bool record() const { return m_record; }
    bool fullscreen() const { return m_fullscreen; }
    const std::optional<QString> &captureOrientation() const { return m_captureOrientation; }

    void setCameraId(std::optional<QString> value);
    void setCameraFacing(QString value);
    void setUseExplicitCameraID(bool value);
    void setCameraSize(QString value);
    void setMaxSize(quint32 value);
    void setMaxFps(quint32 value);
    void setCodec(QString value);
    void setZoom(double value);
    void setUseZoom(bool value);
    void setTorch(bool value);
    void setAspectRatio(QString value);
    void setHighSpeed(bool value);
    void setVideoBitRate(double value);
    void setAudio(bool value);
    void setAudioSource(QString value);
    void setRecord(bool value);
    void setFullscreen(bool value);
    void setCaptureOrientation(std::optional<QString> value);

signals:
    void cameraIdChanged();
    void cameraFacingChanged();
    void useExplicitCameraIDChanged();
    void cameraSizeChanged();
    void maxSizeChanged();
    void maxFpsChanged();
    void codecChanged();
    void zoomChanged();
    void useZoomChanged();
    void torchChanged();
    void aspectRatioChanged();
    void highSpeedChanged();
    void videoBitRateChanged();
    void audioChanged();
    void audioSourceChanged();
    void recordChanged();
    void fullscreenChanged();
    void captureOrientationChanged();

private:
    std::optional<QString> m_cameraId;
    QString m_cameraFacing = QStringLiteral("back");
    bool m_useExplicitCameraID = false;
    QString m_cameraSize;
    quint32 m_maxSize = 1920;
    quint32 m_maxFps = 30;
    QString m_codec = QStringLiteral("h264");
    double m_zoom = 1.0;
    bool m_useZoom = false;
    bool m_torch = false;
    QString m_aspectRatio = QStringLiteral("auto");
    bool m_highSpeed = false;
    double m_videoBitRate = 8.0;
    bool m_audio = true;
    QString m_audioSource = QStringLiteral("mic");
    bool m_record = false;
    bool m_fullscreen = false;
    std::optional<QString> m_captureOrientation;
};

} // namespace quorvane::app
