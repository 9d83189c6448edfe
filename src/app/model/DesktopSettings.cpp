#include "DesktopSettings.h"

namespace quorvane::app {

DesktopSettings::DesktopSettings(QObject *parent)
    : ModeSettings(parent)
{
}

void DesktopSettings::setWidth(quint32 value)
{
    assign(m_width, value, &DesktopSettings::widthChanged);
}

void DesktopSettings::setHeight(quint32 value)
{
    assign(m_height, value, &DesktopSettings::heightChanged);
}

void DesktopSettings::setDensity(quint32 value)
{
    assign(m_density, value, &DesktopSettings::densityChanged);
}

void DesktopSettings::setFlex(bool value)
{
    assign(m_flex, value, &DesktopSettings::flexChanged);
}

void DesktopSettings::setNoDecorations(bool value)
{
    assign(m_noDecorations, value, &DesktopSettings::noDecorationsChanged);
}

void DesktopSettings::setKeepContent(bool value)
{
    assign(m_keepContent, value, &DesktopSettings::keepContentChanged);
}

void DesktopSettings::setStartApp(QString value)
{
    assign(m_startApp, std::move(value), &DesktopSettings::startAppChanged);
}

void DesktopSettings::setMaxFps(quint32 value)
{
    assign(m_maxFps, value, &DesktopSettings::maxFpsChanged);
}

void DesktopSettings::setAudio(bool value)
{
    assign(m_audio, value, &DesktopSettings::audioChanged);
}

void DesktopSettings::setRecord(bool value)
{
    assign(m_record, value, &DesktopSettings::recordChanged);
}

void DesktopSettings::setFullscreen(bool value)
{
    assign(m_fullscreen, value, &DesktopSettings::fullscreenChanged);
}

namespace {
constexpr quint32 defaultWidth = 1920;
constexpr quint32 defaultHeight = 1080;
constexpr quint32 defaultDensity = 240;
} // namespace

LaunchConfig DesktopSettings::launchConfig(const QString &serial,
                                           const std::optional<DesktopCapabilities> &capabilities) const
{
    LaunchConfig config;
    config.serial = serial;
    config.mode = QStringLiteral("desktop");
    config.maxSize = 1920;
    config.codec = QStringLiteral("h264");
    config.videoBitRate = 8;
    config.maxFps = m_maxFps;
    config.audio = m_audio;
    // A virtual display has no microphone of its own: only the phone's output makes sense there.
    config.audioSource = m_audio ? QStringLiteral("output") : QStringLiteral("off");
    config.stayAwake = true;
    config.record = m_record;
    config.fullscreen = m_fullscreen;
    config.desktopWidth = m_width;
    config.desktopHeight = m_height;
    config.desktopDensity = m_density;
    config.desktopFlex = m_flex;
    config.desktopNoDecorations = m_noDecorations;
    config.desktopKeepContent = m_keepContent;
    config.desktopStartApp = m_startApp.isEmpty() ? std::nullopt : std::optional(m_startApp);
    if (capabilities) {
        config.desktopEnvironment = capabilities->environmentKind;
        config.desktopDisplayId = capabilities->existingDisplayId;
    }
    return config;
}

void DesktopSettings::applyCapabilities(const DesktopCapabilities &capabilities)
{
    const AutomaticFill fill(this);
    setWidth(capabilities.recommendedWidth);
    setHeight(capabilities.recommendedHeight);
    setDensity(capabilities.recommendedDensity);
}

void DesktopSettings::applyCapabilitiesIfEmpty(const std::optional<DesktopCapabilities> &capabilities)
{
    if (capabilities && m_width == defaultWidth && m_height == defaultHeight && m_density == defaultDensity)
        applyCapabilities(*capabilities);
}

} // namespace quorvane::app
