#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace quorvane {

class JsonDecoder;

// Everything one scrcpy session is started with. Values are kept exactly as chosen, however odd: the
// argument builder neutralises what scrcpy would refuse, so a stored or compared record never changes
// behind the user's back. Camera fields matter only in "camera" mode and desktop fields only in "desktop"
// mode, yet all of them take part in equality.
struct LaunchConfig
{
    QString serial;
    QString mode;
    quint32 maxSize = 0;
    quint32 maxFps = 0;
    QString codec;
    quint32 videoBitRate = 0;
    std::optional<QString> videoEncoder;
    bool audio = false;
    std::optional<QString> audioSource;
    bool stayAwake = false;
    bool turnScreenOff = false;
    bool showTouches = false;
    bool record = false;
    bool fullscreen = false;
    std::optional<QString> captureOrientation;
    std::optional<QString> crop;
    std::optional<QString> cameraId;
    std::optional<QString> cameraFacing;
    std::optional<double> cameraZoom;
    bool cameraTorch = false;
    std::optional<QString> cameraSize;
    std::optional<QString> cameraAspectRatio;
    bool cameraHighSpeed = false;
    std::optional<quint32> desktopWidth;
    std::optional<quint32> desktopHeight;
    std::optional<quint32> desktopDensity;
    bool desktopFlex = false;
    bool desktopNoDecorations = false;
    bool desktopKeepContent = false;
    std::optional<QString> desktopStartApp;
    std::optional<QString> desktopEnvironment;
    std::optional<quint32> desktopDisplayId;
    bool clipboardSync = false;

    bool operator==(const LaunchConfig &) const = default;

    // "mirror", "creator", "camera", "desktop", in that order.
    static const QStringList &supportedModes();
    // The placeholder record used where a session has no record of its own.
    static LaunchConfig defaultRecord();

    // Megabits per second as the whole number the record holds: halves round away from zero, and a value
    // outside the unsigned 32-bit range (or not a number) is clamped into it.
    static quint32 roundedBitRate(double megabits);

    // All 33 field names as keys; absent optionals are left out rather than written as null.
    QJsonObject toJson() const;
    // Strict: each non-optional key is required (DecodingError names it), optionals may be missing or
    // null, unknown keys are ignored.
    static LaunchConfig fromJson(const JsonDecoder &json);
};

} // namespace quorvane
