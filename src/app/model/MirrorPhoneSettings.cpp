#include "MirrorPhoneSettings.h"

namespace quorvane::app {

MirrorPhoneSettings::MirrorPhoneSettings(QObject *parent)
    : ModeSettings(parent)
{
}

void MirrorPhoneSettings::setIsCreatorMode(bool value)
{
    assign(m_isCreatorMode, value, &MirrorPhoneSettings::isCreatorModeChanged);
}

void MirrorPhoneSettings::setMaxSize(quint32 value)
{
    assign(m_maxSize, value, &MirrorPhoneSettings::maxSizeChanged);
}

void MirrorPhoneSettings::setMaxFps(quint32 value)
{
    assign(m_maxFps, value, &MirrorPhoneSettings::maxFpsChanged);
}

void MirrorPhoneSettings::setCodec(QString value)
{
    assign(m_codec, std::move(value), &MirrorPhoneSettings::codecChanged);
}

void MirrorPhoneSettings::setVideoBitRate(double value)
{
    assign(m_videoBitRate, value, &MirrorPhoneSettings::videoBitRateChanged);
}

void MirrorPhoneSettings::setVideoEncoder(QString value)
{
    assign(m_videoEncoder, std::move(value), &MirrorPhoneSettings::videoEncoderChanged);
}

void MirrorPhoneSettings::setAudio(bool value)
{
    assign(m_audio, value, &MirrorPhoneSettings::audioChanged);
}

void MirrorPhoneSettings::setAudioSource(QString value)
{
    assign(m_audioSource, std::move(value), &MirrorPhoneSettings::audioSourceChanged);
}

void MirrorPhoneSettings::setStayAwake(bool value)
{
    assign(m_stayAwake, value, &MirrorPhoneSettings::stayAwakeChanged);
}

void MirrorPhoneSettings::setTurnScreenOff(bool value)
{
    assign(m_turnScreenOff, value, &MirrorPhoneSettings::turnScreenOffChanged);
}

void MirrorPhoneSettings::setShowTouches(bool value)
{
    assign(m_showTouches, value, &MirrorPhoneSettings::showTouchesChanged);
}

void MirrorPhoneSettings::setRecord(bool value)
{
    assign(m_record, value, &MirrorPhoneSettings::recordChanged);
}

void MirrorPhoneSettings::setFullscreen(bool value)
{
    assign(m_fullscreen, value, &MirrorPhoneSettings::fullscreenChanged);
}

void MirrorPhoneSettings::setCaptureOrientation(std::optional<QString> value)
{
    assign(m_captureOrientation, std::move(value), &MirrorPhoneSettings::captureOrientationChanged);
}

void MirrorPhoneSettings::setCrop(QString value)
{
    assign(m_crop, std::move(value), &MirrorPhoneSettings::cropChanged);
}

void MirrorPhoneSettings::setClipboardSync(bool value)
{
    assign(m_clipboardSync, value, &MirrorPhoneSettings::clipboardSyncChanged);
}

namespace {
std::optional<QString> unlessEmpty(const QString &text)
{
    return text.isEmpty() ? std::nullopt : std::optional(text);
}
} // namespace

LaunchConfig MirrorPhoneSettings::launchConfig(const QString &serial, const QString &mode) const
{
    LaunchConfig config;
    config.serial = serial;
    config.mode = m_isCreatorMode ? QStringLiteral("creator") : mode;
    config.maxSize = m_maxSize;
    config.maxFps = m_maxFps;
    config.codec = m_codec;
    config.videoBitRate = LaunchConfig::roundedBitRate(m_videoBitRate);
    config.videoEncoder = unlessEmpty(m_videoEncoder);
    config.audio = m_audio;
    config.audioSource = m_audio ? m_audioSource : QStringLiteral("off");
    config.stayAwake = m_stayAwake;
    config.turnScreenOff = m_turnScreenOff;
    config.record = m_record;
    config.fullscreen = m_fullscreen;
    config.captureOrientation = m_captureOrientation;
    config.clipboardSync = m_clipboardSync;
    config.showTouches = m_showTouches || m_isCreatorMode;
    config.crop = unlessEmpty(m_crop);
    return config;
}

// Bit rate, encoder and the screen-off choice are the user's own and stay as they are.
void MirrorPhoneSettings::apply(const Recommendation &recommendation)
{
    const AutomaticFill fill(this);
    setMaxSize(recommendation.maxSize);
    setMaxFps(recommendation.maxFps);
    setCodec(recommendation.codec);
    setAudio(recommendation.audio);
    setStayAwake(recommendation.stayAwake);
    setShowTouches(recommendation.showTouches);
    setIsCreatorMode(recommendation.mode == QLatin1String("creator"));
}

} // namespace quorvane::app
