#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

namespace quorvane {

// One high-speed capture size with the rates the camera offers for it.
struct CameraHighSpeedMode
{
    QString size;
    QList<quint32> fps;

    bool operator==(const CameraHighSpeedMode &) const = default;
};

// One camera as scrcpy lists it. serial is the number of the listing line that introduced the camera,
// which keeps ids unique within one probe.
struct CameraInfo
{
    QString serial;
    QString cameraId;
    QString facing;
    std::optional<quint32> maxWidth;
    std::optional<quint32> maxHeight;
    QList<quint32> fps;
    std::optional<double> zoomMin;
    std::optional<double> zoomMax;
    QStringList sizes;
    QList<CameraHighSpeedMode> highSpeedModes;
    bool torchLikely = false;

    QString id() const { return serial + QLatin1Char('-') + cameraId; }
    // "Back · 4000×3000", or just "Back" when the size is unknown.
    QString label() const;

    bool operator==(const CameraInfo &) const = default;
};

struct CameraCapabilities
{
    bool cameraSupported = false;
    std::optional<QString> recommendedCameraId;
    QList<CameraInfo> cameras;
    QString note;

    bool operator==(const CameraCapabilities &) const = default;
};

size_t qHash(const CameraHighSpeedMode &mode, size_t seed = 0);

QJsonObject toJson(const CameraHighSpeedMode &mode);
QJsonObject toJson(const CameraInfo &camera);
QJsonObject toJson(const CameraCapabilities &capabilities);

} // namespace quorvane
