#pragma once

#include "ADBService.h"
#include "DesktopBackupStore.h"
#include "DesktopRecords.h"
#include "ToolPaths.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <QCoroTask>

#include <functional>
#include <optional>

namespace quorvane {

// Desktop Mode: what the phone offers for a virtual display, and its desktop-windowing developer settings
// switched on with a backup first and put back from that backup. A value; the backups live on disk.
struct DesktopService
{
    ToolPaths paths;
    // Progress lines for the user's log; may be empty.
    std::function<void(const QString &)> log;

    static const QStringList &settingKeys();
    // Phones up to SDK 35 do not know the "override_desktop" keys.
    static QStringList settingKeys(quint32 sdk);

    // Only reads: nothing on the phone or on disk changes.
    QCoro::Task<DesktopCapabilities> probeCapabilities(QString serial) const;
    static DesktopCapabilities capabilities(const DeviceProfile &profile,
                                            const QList<DesktopSettingDiagnostic> &settings,
                                            bool backupAvailable,
                                            const std::optional<QString> &launcherPackage);

    // Never fails: an unset, "null" or unreadable setting is absent.
    static QCoro::Task<std::optional<QString>> getGlobalSetting(ADBService adb, QString serial, QString key);
    static std::optional<QString> settingValue(const QString &output);
    // The phone's hardware serial when it has one, so its USB and Wi-Fi transports share one backup.
    static QCoro::Task<QString> stableDeviceKey(ADBService adb, QString serial);
    static QCoro::Task<std::optional<QString>> defaultLauncherPackage(ADBService adb, QString serial);
    static std::optional<QString> launcherFromResolveOutput(const QString &output);

    // Throws when the backup file cannot be read or written: nothing may change on the phone then.
    QCoro::Task<void> saveBackupIfMissing(ADBService adb, QString serial, quint32 sdk) const;
    QCoro::Task<DesktopExperienceResult> enableDesktopExperience(QString serial) const;
    QCoro::Task<DesktopExperienceResult> restoreDesktopExperience(QString serial) const;
    // Never fails: the phone may already be on its way down.
    static QCoro::Task<void> reboot(ADBService adb, QString serial);

private:
    void report(const QString &line) const;
};

} // namespace quorvane
