#pragma once

#include "ModeSettings.h"

#include "DesktopRecords.h"
#include "LaunchConfig.h"

#include <QString>

#include <optional>

namespace quorvane::app {

// The Desktop Mode screen's settings; builds the launch record of a desktop session.
class DesktopSettings final : public ModeSettings
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DesktopSettings)
    Q_PROPERTY(quint32 width READ width WRITE setWidth NOTIFY widthChanged)
    Q_PROPERTY(quint32 height READ height WRITE setHeight NOTIFY heightChanged)
    Q_PROPERTY(quint32 density READ density WRITE setDensity NOTIFY densityChanged)
    Q_PROPERTY(bool flex READ flex WRITE setFlex NOTIFY flexChanged)
    Q_PROPERTY(bool noDecorations READ noDecorations WRITE setNoDecorations NOTIFY noDecorationsChanged)
    Q_PROPERTY(bool keepContent READ keepContent WRITE setKeepContent NOTIFY keepContentChanged)
    Q_PROPERTY(QString startApp READ startApp WRITE setStartApp NOTIFY startAppChanged)
    Q_PROPERTY(quint32 maxFps READ maxFps WRITE setMaxFps NOTIFY maxFpsChanged)
    Q_PROPERTY(bool audio READ audio WRITE setAudio NOTIFY audioChanged)
    Q_PROPERTY(bool record READ record WRITE setRecord NOTIFY recordChanged)
    Q_PROPERTY(bool fullscreen READ fullscreen WRITE setFullscreen NOTIFY fullscreenChanged)

public:
    explicit DesktopSettings(QObject *parent = nullptr);

    LaunchConfig launchConfig(const QString &serial,
                              const std::optional<DesktopCapabilities> &capabilities) const;
    void applyCapabilities(const DesktopCapabilities &capabilities);
    // Only while the geometry still holds its defaults, so a size the user edited is kept.
    void applyCapabilitiesIfEmpty(const std::optional<DesktopCapabilities> &capabilities);

    quint32 width() const { return m_width; }
    quint32 height() const { return m_height; }
    quint32 density() const { return m_density; }
    bool flex() const { return m_flex; }
    bool noDecorations() const { return m_noDecorations; }
    bool keepContent() const { return m_keepContent; }
    const QString &startApp() const { return m_startApp; }
    quint32 maxFps() const { return m_maxFps; }
    bool audio() const { return m_audio; }
    bool record() const { return m_record; }
    bool fullscreen() const { return m_fullscreen; }

    void setWidth(quint32 value);
    void setHeight(quint32 value);
    void setDensity(quint32 value);
    void setFlex(bool value);
    void setNoDecorations(bool value);
    void setKeepContent(bool value);
    void setStartApp(QString value);
    void setMaxFps(quint32 value);
    void setAudio(bool value);
    void setRecord(bool value);
    void setFullscreen(bool value);

signals:
    void widthChanged();
    void heightChanged();
    void densityChanged();
    void flexChanged();
    void noDecorationsChanged();
    void keepContentChanged();
    void startAppChanged();
    void maxFpsChanged();
    void audioChanged();
    void recordChanged();
    void fullscreenChanged();

private:
    quint32 m_width = 1920;
    quint32 m_height = 1080;
    quint32 m_density = 240;
    bool m_flex = false;
    bool m_noDecorations = false;
    bool m_keepContent = false;
    QString m_startApp;
    quint32 m_maxFps = 60;
    bool m_audio = false;
    bool m_record = false;
    bool m_fullscreen = false;
};

} // namespace quorvane::app
