#include "LaunchConfig.h"

#include "JsonDecoder.h"

#include <cmath>
#include <limits>

namespace quorvane {

namespace {

void insertIf(QJsonObject &object, const QString &key, const std::optional<QString> &value)
{
    if (value)
        object.insert(key, *value);
}

void insertIf(QJsonObject &object, const QString &key, const std::optional<quint32> &value)
{
    if (value)
        object.insert(key, qint64(*value));
}

// JSON has no spelling for an infinite or NaN zoom; leaving it out reads back as "no zoom", which is also
// what the argument builder makes of a non-finite zoom.
void insertIf(QJsonObject &object, const QString &key, const std::optional<double> &value)
{
    if (value && std::isfinite(*value))
        object.insert(key, *value);
}

} // namespace

const QStringList &LaunchConfig::supportedModes()
{
    static const QStringList modes{QStringLiteral("mirror"), QStringLiteral("creator"),
                                   QStringLiteral("camera"), QStringLiteral("desktop")};
    return modes;
}

LaunchConfig LaunchConfig::defaultRecord()
{
    LaunchConfig config;
    config.mode = QStringLiteral("mirror");
    config.codec = QStringLiteral("h264");
    config.videoBitRate = 8;
    config.stayAwake = true;
    return config;
}

quint32 LaunchConfig::roundedBitRate(double megabits)
{
    if (std::isnan(megabits) || megabits <= 0)
        return 0;
    const double rounded = std::round(megabits);
    if (rounded >= static_cast<double>(std::numeric_limits<quint32>::max()))
        return std::numeric_limits<quint32>::max();
    return static_cast<quint32>(rounded);
}

QJsonObject LaunchConfig::toJson() const
{
    QJsonObject object{{QStringLiteral("serial"), serial},
                       {QStringLiteral("mode"), mode},
                       {QStringLiteral("maxSize"), qint64(maxSize)},
                       {QStringLiteral("maxFps"), qint64(maxFps)},
                       {QStringLiteral("codec"), codec},
                       {QStringLiteral("videoBitRate"), qint64(videoBitRate)},
                       {QStringLiteral("audio"), audio},
                       {QStringLiteral("stayAwake"), stayAwake},
                       {QStringLiteral("turnScreenOff"), turnScreenOff},
                       {QStringLiteral("showTouches"), showTouches},
                       {QStringLiteral("record"), record},
                       {QStringLiteral("fullscreen"), fullscreen},
                       {QStringLiteral("cameraTorch"), cameraTorch},
                       {QStringLiteral("cameraHighSpeed"), cameraHighSpeed},
                       {QStringLiteral("desktopFlex"), desktopFlex},
                       {QStringLiteral("desktopNoDecorations"), desktopNoDecorations},
                       {QStringLiteral("desktopKeepContent"), desktopKeepContent},
                       {QStringLiteral("clipboardSync"), clipboardSync}};
    insertIf(object, QStringLiteral("videoEncoder"), videoEncoder);
    insertIf(object, QStringLiteral("audioSource"), audioSource);
    insertIf(object, QStringLiteral("captureOrientation"), captureOrientation);
    insertIf(object, QStringLiteral("crop"), crop);
    insertIf(object, QStringLiteral("cameraId"), cameraId);
    insertIf(object, QStringLiteral("cameraFacing"), cameraFacing);
    insertIf(object, QStringLiteral("cameraZoom"), cameraZoom);
    insertIf(object, QStringLiteral("cameraSize"), cameraSize);
    insertIf(object, QStringLiteral("cameraAspectRatio"), cameraAspectRatio);
    insertIf(object, QStringLiteral("desktopWidth"), desktopWidth);
    insertIf(object, QStringLiteral("desktopHeight"), desktopHeight);
    insertIf(object, QStringLiteral("desktopDensity"), desktopDensity);
    insertIf(object, QStringLiteral("desktopStartApp"), desktopStartApp);
    insertIf(object, QStringLiteral("desktopEnvironment"), desktopEnvironment);
    insertIf(object, QStringLiteral("desktopDisplayId"), desktopDisplayId);
    return object;
}

LaunchConfig LaunchConfig::fromJson(const JsonDecoder &json)
{
    return LaunchConfig{
        .serial = json.string(QStringLiteral("serial")),
        .mode = json.string(QStringLiteral("mode")),
        .maxSize = json.uint32(QStringLiteral("maxSize")),
        .maxFps = json.uint32(QStringLiteral("maxFps")),
        .codec = json.string(QStringLiteral("codec")),
        .videoBitRate = json.uint32(QStringLiteral("videoBitRate")),
        .videoEncoder = json.optionalString(QStringLiteral("videoEncoder")),
        .audio = json.boolean(QStringLiteral("audio")),
        .audioSource = json.optionalString(QStringLiteral("audioSource")),
        .stayAwake = json.boolean(QStringLiteral("stayAwake")),
        .turnScreenOff = json.boolean(QStringLiteral("turnScreenOff")),
        .showTouches = json.boolean(QStringLiteral("showTouches")),
        .record = json.boolean(QStringLiteral("record")),
        .fullscreen = json.boolean(QStringLiteral("fullscreen")),
        .captureOrientation = json.optionalString(QStringLiteral("captureOrientation")),
        .crop = json.optionalString(QStringLiteral("crop")),
        .cameraId = json.optionalString(QStringLiteral("cameraId")),
        .cameraFacing = json.optionalString(QStringLiteral("cameraFacing")),
        .cameraZoom = json.optionalNumber(QStringLiteral("cameraZoom")),
        .cameraTorch = json.boolean(QStringLiteral("cameraTorch")),
        .cameraSize = json.optionalString(QStringLiteral("cameraSize")),
        .cameraAspectRatio = json.optionalString(QStringLiteral("cameraAspectRatio")),
        .cameraHighSpeed = json.boolean(QStringLiteral("cameraHighSpeed")),
        .desktopWidth = json.optionalUInt32(QStringLiteral("desktopWidth")),
        .desktopHeight = json.optionalUInt32(QStringLiteral("desktopHeight")),
        .desktopDensity = json.optionalUInt32(QStringLiteral("desktopDensity")),
        .desktopFlex = json.boolean(QStringLiteral("desktopFlex")),
        .desktopNoDecorations = json.boolean(QStringLiteral("desktopNoDecorations")),
        .desktopKeepContent = json.boolean(QStringLiteral("desktopKeepContent")),
        .desktopStartApp = json.optionalString(QStringLiteral("desktopStartApp")),
        .desktopEnvironment = json.optionalString(QStringLiteral("desktopEnvironment")),
        .desktopDisplayId = json.optionalUInt32(QStringLiteral("desktopDisplayId")),
        .clipboardSync = json.boolean(QStringLiteral("clipboardSync")),
    };
}

} // namespace quorvane
