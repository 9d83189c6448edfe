#pragma once

#include "DeviceProfile.h"
#include "LearnedProfile.h"
#include "Models.h"
#include "PhoneIdentity.h"
#include "Recommendation.h"
#include "ToolPaths.h"

#include <QList>
#include <QStringList>

#include <QCoroTask>

#include <optional>
#include <utility>

namespace quorvane {

// The thin bridge to adb: the device list and commands on one phone. A value; every call starts its own
// adb, resolved afresh from the paths.
struct ADBService
{
    ToolPaths paths;

    QCoro::Task<QList<DeviceInfo>> listDevices() const;
    // The same, with what adb said on standard error meanwhile: a server another adb restarted, say.
    struct Listing
    {
        QList<DeviceInfo> devices;
        QString errorOutput;
    };
    QCoro::Task<Listing> readDevices() const;
    // The words after "shell" are passed separately; adb joins them into the phone's command line.
    QCoro::Task<QString> shell(QString serial, QStringList arguments) const;
    // Never fails: an unknown property and an unreachable phone both read as "".
    QCoro::Task<QString> getprop(QString serial, QString key) const;

    // The serial the phone's hardware reports (ro.boot.serialno, else ro.serialno); none when it reports
    // none or "unknown". Never fails.
    QCoro::Task<std::optional<QString>> hardwareSerial(QString serial) const;
    QCoro::Task<PhoneIdentity> identify(QString serial) const;
    // Whether the phone shows its lock screen, from the window manager's policy dump; none when the phone
    // cannot be asked or its answer does not tell. Never fails.
    QCoro::Task<std::optional<bool>> screenLocked(QString serial) const;

    // Fails only when the device list cannot be read or the phone is gone or not ready; every other query
    // degrades to an empty or absent field.
    QCoro::Task<DeviceProfile> inspectDevice(QString serial) const;
    // Never fails: empty when scrcpy is missing or the listing fails.
    QCoro::Task<QList<VideoEncoderInfo>> listVideoEncoders(QString serial) const;

    static QList<DeviceInfo> parseDevices(const QString &text);
    static bool isWirelessSerial(const QString &serial);

    // (width, height) from a `wm size` answer: both present or both absent; the physical size wins over
    // an override.
    static std::pair<std::optional<quint32>, std::optional<quint32>> parsePhysicalSize(const QString &text);
    static std::optional<quint32> parseDensity(const QString &text);
    // The h264, h265 and av1 encoders of a `--list-encoders` answer, sorted and without repeats.
    static QList<VideoEncoderInfo> parseVideoEncoders(const QString &text);
    // The word after marker in line, without surrounding quotes; absent when there is none.
    static std::optional<QString> optionValue(const QString &line, const QString &marker);
    // The keyguard state of a `dumpsys window` (or `dumpsys window policy`) answer: locked when any of the
    // lines Android writes for it says so, unlocked when they all say not, none when there are none.
    static std::optional<bool> parseKeyguardShowing(const QString &text);

    // Starting settings for a phone in a mode (rules in Recommendation.cpp); with a learned profile, the
    // settings that last worked there take over where the phone still supports them.
    static Recommendation recommendation(const DeviceProfile &profile, const QString &mode);
    static Recommendation recommendation(const DeviceProfile &profile, const QString &mode,
                                         const std::optional<LearnedProfile> &learned);
};

} // namespace quorvane
