#pragma once

#include "ToolVersion.h"

#include <QJsonObject>
#include <QString>

#include <optional>

namespace quorvane {

// Presence of the two tools as shown to the user.
struct RuntimeStatus
{
    bool adbFound = false;
    bool scrcpyFound = false;
    std::optional<QString> adbPath;
    std::optional<QString> scrcpyPath;
    std::optional<QString> adbVersion;
    std::optional<QString> scrcpyVersion;
    // The releases read from those lines, absent when a line names none.
    std::optional<ToolVersion> adbRelease;
    std::optional<ToolVersion> scrcpyRelease;
    // Why the tools cannot be used, as one sentence per tool, absent when both can.
    std::optional<QString> problem;

    // Nothing is usable before the tools were looked for.
    bool usable() const { return adbFound && scrcpyFound && !problem; }
    bool operator==(const RuntimeStatus &) const = default;
};

// One transport of the adb server's device list.
struct DeviceInfo
{
    QString serial;
    QString state;
    std::optional<QString> model;
    std::optional<QString> product;
    std::optional<QString> device;
    QString connectionKind;
    // The USB port adb names ("1-3"), by which the kernel describes the device; absent over Wi-Fi.
    std::optional<QString> usbPort;

    const QString &id() const { return serial; }
    // adb spells the model with underscores for spaces ("Pixel_8"); people read it as the phone says it.
    QString displayName() const { return model ? QString(*model).replace(u'_', u' ') : serial; }
    bool isWireless() const { return connectionKind == QLatin1String("wireless"); }
    // In adb's state "device": the only state in which the phone answers commands.
    bool isReady() const { return state == QLatin1String("device"); }

    bool operator==(const DeviceInfo &) const = default;
};

// JSON forms with the field names as keys; absent optionals are left out.
QJsonObject toJson(const RuntimeStatus &status);
QJsonObject toJson(const DeviceInfo &device);

// Puts value under key only when it is present: the shared rule of every JSON form here.
void insertOptional(QJsonObject &object, const QString &key, const std::optional<QString> &value);

} // namespace quorvane
