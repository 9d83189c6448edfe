#pragma once

#include "LaunchConfig.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace quorvane {

// Spells the scrcpy command line of one launch record. Every value passes a check first: one wrong element
// makes scrcpy refuse to start, so anything doubtful is replaced by a safe default or left out. Never fails.
namespace LaunchArgumentBuilder {

// Everything but the shortcut modifier, which the launcher appends. recording is the file to record to.
QStringList buildArguments(const LaunchConfig &config, const std::optional<QString> &recording);

// The command line for display and logs only; it is never given to a shell.
QString shellPreview(const QString &program, const QStringList &arguments);

// The values scrcpy accepts; outside them the builder sends its safe default instead.
struct Range
{
    quint32 lowest;
    quint32 highest;
    bool contains(quint32 value) const { return value >= lowest && value <= highest; }
};
inline constexpr Range bitRateRange{1, 200}; // megabits per second
inline constexpr Range displaySideRange{480, 7680};
inline constexpr Range densityRange{120, 640};
inline constexpr Range cameraSideRange{1, 7680};
// "h264", "h265", "av1".
const QStringList &videoCodecs();
// "front", "back", "external".
const QStringList &cameraFacings();

// The checks behind buildArguments, each giving the value to send or nothing.
std::optional<QString> safeVideoEncoder(const std::optional<QString> &name);
std::optional<QString> safeCameraSize(const std::optional<QString> &size);
std::optional<QString> safeCrop(const std::optional<QString> &crop);
// The whole argument, not only its value.
std::optional<QString> captureOrientationArg(const std::optional<QString> &orientation);

} // namespace LaunchArgumentBuilder
} // namespace quorvane
