#pragma once

#include "ModeSettings.h"

#include "LaunchConfig.h"
#include "Recommendation.h"

#include <QString>

#include <optional>

namespace quorvane::app {

// The Mirror Phone screen's settings; builds the launch record of a mirror or creator session.
class MirrorPhoneSettings final : public ModeSettings
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MirrorPhoneSettings)
    Q_PROPERTY(bool isCreatorMode READ isCreatorMode WRITE setIsCreatorMode NOTIFY isCreatorModeChanged)
    Q_PROPERTY(quint32 maxSize READ maxSize WRITE setMaxSize NOTIFY maxSizeChanged)
    Q_PROPERTY(quint32 maxFps READ maxFps WRITE setMaxFps NOTIFY maxFpsChanged)
    Q_PROPERTY(QString codec READ codec WRITE setCodec NOTIFY codecChanged)
    Q_PROPERTY(double videoBitRate READ videoBitRate WRITE setVideoBitRate NOTIFY videoBitRateChanged)
    Q_PROPERTY(QString videoEncoder READ videoEncoder WRITE setVideoEncoder NOTIFY videoEncoderChanged)
    Q_PROPERTY(bool audio READ audio WRITE setAudio NOTIFY audioChanged)
    Q_PROPERTY(QString audioSource READ audioSource WRITE setAudioSource NOTIFY audioSourceChanged)
    Q_PROPERTY(bool stayAwake READ stayAwake WRITE setStayAwake NOTIFY stayAwakeChanged)
    Q_PROPERTY(bool turnScreenOff READ turnScreenOff WRITE setTurnScreenOff NOTIFY turnScreenOffChanged)
    Q_PROPERTY(bool showTouches READ showTouches WRITE setShowTouches NOTIFY showTouchesChanged)
    Q_PROPERTY(bool record READ record WRITE setRecord NOTIFY recordChanged)
    Q_PROPERTY(bool fullscreen READ fullscreen WRITE setFullscreen NOTIFY fullscreenChanged)
    Q_PROPERTY(std::optional<QString> captureOrientation READ captureOrientation WRITE setCaptureOrientation
                   NOTIFY captureOrientationChanged)
    Q_PROPERTY(QString crop READ crop WRITE setCrop NOTIFY cropChanged)
    Q_PROPERTY(bool clipboardSync READ clipboardSync WRITE setClipboardSync NOTIFY clipboardSyncChanged)

public:
    explicit MirrorPhoneSettings(QObject *parent = nullptr);

    LaunchConfig launchConfig(const QString &serial, const QString &mode) const;
    void apply(const Recommendation &recommendation);

    bool isCreatorMode() const { return m_isCreatorMode; }
    quint32 maxSize() const { return m_maxSize; }
    quint32 maxFps() const { return m_maxFps; }
    const QString &codec() const { return m_codec; }
    double videoBitRate() const { return m_videoBitRate; }
    const QString &videoEncoder() const { return m_videoEncoder; }
    bool audio() const { return m_audio; }
    const QString &audioSource() const { return m_audioSource; }
    bool stayAwake() const { return m_stayAwake; }
    bool turnScreenOff() const { return m_turnScreenOff; }
    bool showTouches() const { return m_showTouches; }
    bool record() const { return m_record; }
    bool fullscreen() const { return m_fullscreen; }
    const std::optional<QString> &captureOrientation() const { return m_captureOrientation; }
    const QString &crop() const { return m_crop; }
    bool clipboardSync() const { return m_clipboardSync; }

    void setIsCreatorMode(bool value);
    void setMaxSize(quint32 value);
    void setMaxFps(quint32 value);
    void setCodec(QString value);
    void setVideoBitRate(double value);
    void setVideoEncoder(QString value);
    void setAudio(bool value);
    void setAudioSource(QString value);
    void setStayAwake(bool value);
    void setTurnScreenOff(bool value);
    void setShowTouches(bool value);
    void setRecord(bool value);
    void setFullscreen(bool value);
    void setCaptureOrientation(std::optional<QString> value);
    void setCrop(QString value);
    void setClipboardSync(bool value);

signals:
    void isCreatorModeChanged();
    void maxSizeChanged();
    void maxFpsChanged();
    void codecChanged();
    void videoBitRateChanged();
    void videoEncoderChanged();
    void audioChanged();
    void audioSourceChanged();
    void stayAwakeChanged();
    void turnScreenOffChanged();
    void showTouchesChanged();
    void recordChanged();
    void fullscreenChanged();
    void captureOrientationChanged();
    void cropChanged();
    void clipboardSyncChanged();

private:
    bool m_isCreatorMode = false;
    quint32 m_maxSize = 1920;
    quint32 m_maxFps = 60;
    QString m_codec = QStringLiteral("h264");
    double m_videoBitRate = 8.0;
    QString m_videoEncoder;
    bool m_audio = true;
    QString m_audioSource = QStringLiteral("output");
    bool m_stayAwake = true;
    bool m_turnScreenOff = false;
    bool m_showTouches = false;
    bool m_record = false;
    bool m_fullscreen = false;
    std::optional<QString> m_captureOrientation;
    QString m_crop;
    bool m_clipboardSync = false;
};

} // namespace quorvane::app
