#include "CameraSettings.h"

namespace quorvane::app {

CameraSettings::CameraSettings(QObject *parent)
    : ModeSettings(parent)
{
}

void CameraSettings::setCameraId(std::optional<QString> value)
{
    assign(m_cameraId, std::move(value), &CameraSettings::cameraIdChanged);
}

void CameraSettings::setCameraFacing(QString value)
{
    assign(m_cameraFacing, std::move(value), &CameraSettings::cameraFacingChanged);
}

void CameraSettings::setUseExplicitCameraID(bool value)
{
    assign(m_useExplicitCameraID, value, &CameraSettings::useExplicitCameraIDChanged);
}

void CameraSettings::setCameraSize(QString value)
{
    assign(m_cameraSize, std::move(value), &CameraSettings::cameraSizeChanged);
}

void CameraSettings::setMaxSize(quint32 value)
{
    assign(m_maxSize, value, &CameraSettings::maxSizeChanged);
}

void CameraSettings::setMaxFps(quint32 value)
{
    assign(m_maxFps, value, &CameraSettings::maxFpsChanged);
}

void CameraSettings::setCodec(QString value)
{
    assign(m_codec, std::move(value), &CameraSettings::codecChanged);
}

void CameraSettings::setZoom(double value)
{
    assign(m_zoom, value, &CameraSettings::zoomChanged);
}

void CameraSettings::setUseZoom(bool value)
{
    assign(m_useZoom, value, &CameraSettings::useZoomChanged);
}

void CameraSettings::setTorch(bool value)
{
    assign(m_torch, value, &CameraSettings::torchChanged);
}

void CameraSettings::setAspectRatio(QString value)
{
    assign(m_aspectRatio, std::move(value), &CameraSettings::aspectRatioChanged);
}

void CameraSettings::setHighSpeed(bool value)
{
    assign(m_highSpeed, value, &CameraSettings::highSpeedChanged);
}

void CameraSettings::setVideoBitRate(double value)
{
    assign(m_videoBitRate, value, &CameraSettings::videoBitRateChanged);
}

void CameraSettings::setAudio(bool value)
{
    assign(m_audio, value, &CameraSettings::audioChanged);
}

void CameraSettings::setAudioSource(QString value)
{
    assign(m_audioSource, std::move(value), &CameraSettings::audioSourceChanged);
}

void CameraSettings::setRecord(bool value)
{
    assign(m_record, value, &CameraSettings::recordChanged);
}

void CameraSettings::setFullscreen(bool value)
{
    assign(m_fullscreen, value, &CameraSettings::fullscreenChanged);
}

void CameraSettings::setCaptureOrientation(std::optional<QString> value)
{
    assign(m_captureOrientation, std::move(value), &CameraSettings::captureOrientationChanged);
}

LaunchConfig CameraSettings::launchConfig(const QString &serial) const
{
    LaunchConfig config;
    config.serial = serial;
    config.mode = QStringLiteral("camera");
    config.maxSize = m_maxSize;
    config.maxFps = m_maxFps;
    config.codec = m_codec;
    config.videoBitRate = LaunchConfig::roundedBitRate(m_videoBitRate);
    config.audio = m_audio;
    config.audioSource = m_audio ? m_audioSource : QStringLiteral("off");
    config.record = m_record;
    config.fullscreen = m_fullscreen;
    config.captureOrientation = m_captureOrientation;
    // The explicit id and the facing are never sent together.
    config.cameraId = m_useExplicitCameraID ? m_cameraId : std::nullopt;
    config.cameraFacing = m_useExplicitCameraID ? std::nullopt : std::optional(m_cameraFacing);
    config.cameraZoom = m_useZoom ? std::optional(m_zoom) : std::nullopt;
    config.cameraTorch = m_torch;
    // A fixed size decides the shape itself, so the aspect ratio would only contradict it.
    config.cameraSize = m_cameraSize.isEmpty() ? std::nullopt : std::optional(m_cameraSize);
    config.cameraAspectRatio = m_cameraSize.isEmpty() ? std::optional(m_aspectRatio) : std::nullopt;
    config.cameraHighSpeed = m_highSpeed;
    return config;
}

void CameraSettings::apply(const Recommendation &recommendation)
{
    const AutomaticFill fill(this);
    setMaxSize(recommendation.maxSize);
    setMaxFps(recommendation.maxFps);
    setCodec(recommendation.codec);
    setAudio(recommendation.audio);
}

} // namespace quorvane::app
