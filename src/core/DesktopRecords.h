#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

namespace quorvane {

// One windowing setting as the probe read it; value is absent when unset or unreadable.
struct DesktopSettingDiagnostic
{
    QString key;
    std::optional<QString> value;

    bool operator==(const DesktopSettingDiagnostic &) const = default;
};

// What the Desktop Mode screen shows about one phone before a launch.
struct DesktopCapabilities
{
    bool supported = false;
    QString environmentKind;
    QString environmentLabel;
    QString launchLabel;
    std::optional<quint32> existingDisplayId;
    bool virtualDisplaySupported = false;
    bool androidDesktopWindowingAvailable = false;
    bool samsungDexAvailable = false;
    quint32 recommendedWidth = 0;
    quint32 recommendedHeight = 0;
    quint32 recommendedDensity = 0;
    bool freeformSupported = false;
    std::optional<QString> launcherPackage;
    bool prepared = false;
    bool backupAvailable = false;
    QString summary;
    QString message;

    bool operator==(const DesktopCapabilities &) const = default;
};

// The outcome of switching the phone's desktop windowing on or back.
struct DesktopExperienceResult
{
    bool prepared = false;
    bool backupAvailable = false;
    bool rebootStarted = false;
    QString message;

    bool operator==(const DesktopExperienceResult &) const = default;
};

QJsonObject toJson(const DesktopCapabilities &capabilities);
QJsonObject toJson(const DesktopExperienceResult &result);

} // namespace quorvane
