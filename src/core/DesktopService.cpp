#include "DesktopService.h"

#include "AppPaths.h"
#include "Errors.h"
#include "JsonFile.h"
#include "ProcessRunner.h"

#include <QRegularExpression>

#include <algorithm>

namespace quorvane {

namespace {

const QString enabledValue = QStringLiteral("1");

bool isEnabled(const QList<DesktopSettingDiagnostic> &settings, const QString &key)
{
    const auto it =
        std::find_if(settings.cbegin(), settings.cend(),
                     [&key](const DesktopSettingDiagnostic &setting) { return setting.key == key; });
    return it != settings.cend() && it->value == enabledValue;
}

struct Geometry
{
    quint32 width;
    quint32 height;
    quint32 density;
};

Geometry recommendedGeometry(const DeviceProfile &profile)
{
    if (profile.connectionKind == QLatin1String("wireless"))
        return {1280, 720, 180};
    if (profile.brand.toLower().contains(QLatin1String("samsung")))
        return {1920, 1080, 284};
    return {1920, 1080, 240};
}

QString summaryFor(bool prepared, bool backupAvailable)
{
    if (prepared)
        return QStringLiteral("Android is already using this device's desktop windowing settings.");
    if (backupAvailable)
        return QStringLiteral("A settings backup for this device is available.");
    return QStringLiteral(
        "Enabling changes up to five developer settings on the phone, with a full backup first.");
}

// adb hands the words after "shell" to the phone's shell as one command line. A stored value is put back
// as exactly one word, whatever characters the backup file holds.
QString phoneShellWord(const QString &value)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_.,:/+=@%-]+$"));
    if (plain.match(value).hasMatch())
        return value;
    return QLatin1Char('\'') + QString(value).replace(QStringLiteral("'"), QStringLiteral("'\\''")) +
           QLatin1Char('\'');
}

QStringList globalSettingCommand(const QString &verb, const QString &key)
{
    return {QStringLiteral("settings"), verb, QStringLiteral("global"), key};
}

// Unlike getGlobalSetting, a failed read is an error: a backup must not mistake an unreadable value for
// an unset one, or a restore would delete a setting the user had.
QCoro::Task<std::optional<QString>> readSettingForBackup(ADBService adb, QString serial, QString key)
{
    const QStringList command = globalSettingCommand(QStringLiteral("get"), key);
    const QString output = co_await adb.shell(serial, command);
    co_return DesktopService::settingValue(output);
}

const QString enableRefused = QStringLiteral("Desktop settings cannot be enabled");
const QString restoreRefused = QStringLiteral("Desktop settings cannot be restored");

ScrcpyError unreadableBackup(const QString &outcome)
{
    return ScrcpyError::invalidInput(
        QStringLiteral("%1: the backup file %2 cannot be read, so nothing on the phone was changed. Repair "
                       "the file or move it away, then try again.")
            .arg(outcome, AppPaths::desktopBackupFile()));
}

// The store as it is on disk. A file that cannot be read stops the action: it may hold the only copy of
// the phone's original settings.
DesktopBackupStore loadStore(const QString &outcome)
{
    try {
        return DesktopBackupStore::load();
    } catch (const JsonFile::UnreadableFile &) {
        throw unreadableBackup(outcome);
    } catch (const FileSystemError &error) {
        throw FileSystemError(
            QStringLiteral(
                "%1: the settings backup cannot be opened (%2), so nothing on the phone was changed.")
                .arg(outcome, error.text()));
    }
}

// A restore on a phone that is gone, or has not allowed this computer, would fail key by key.
QCoro::Task<void> requireReadyForRestore(ADBService adb, QString serial)
{
    const QList<DeviceInfo> devices = co_await adb.listDevices();
    const auto it = std::find_if(devices.cbegin(), devices.cend(),
                                 [&serial](const DeviceInfo &device) { return device.serial == serial; });
    if (it == devices.cend())
        throw ScrcpyError::deviceState(
            QStringLiteral("The phone is not connected. Connect it, then restore its desktop settings."));
    if (it->state == QLatin1String("unauthorized"))
        throw ScrcpyError::deviceState(
            QStringLiteral("Authorize the device before restoring desktop settings."));
    if (it->state != QLatin1String("device"))
        throw ScrcpyError::deviceState(
            QStringLiteral("The phone is %1. Reconnect it, then restore its desktop settings.")
                .arg(it->state));
}

} // namespace

const QStringList &DesktopService::settingKeys()
{
    static const QStringList keys{QStringLiteral("force_desktop_mode_on_external_displays"),
                                  QStringLiteral("enable_freeform_support"),
                                  QStringLiteral("force_resizable_activities"),
                                  QStringLiteral("enable_non_resizable_multi_window"),
                                  QStringLiteral("override_desktop_experience_features"),
                                  QStringLiteral("override_desktop_mode_features")};
    return keys;
}

QStringList DesktopService::settingKeys(quint32 sdk)
{
    QStringList keys;
    for (const QString &key : settingKeys()) {
        if (sdk > 35 || !key.startsWith(QLatin1String("override_desktop")))
            keys.append(key);
    }
    return keys;
}

void DesktopService::report(const QString &line) const
{
    if (log)
        log(line);
}

std::optional<QString> DesktopService::settingValue(const QString &output)
{
    const QString value = output.trimmed();
    if (value.isEmpty() || value.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0)
        return std::nullopt;
    return value;
}

QCoro::Task<std::optional<QString>> DesktopService::getGlobalSetting(ADBService adb, QString serial,
                                                                     QString key)
{
    try {
        co_return co_await readSettingForBackup(adb, serial, key);
    } catch (const std::exception &) {
    }
    co_return std::nullopt;
}

QCoro::Task<QString> DesktopService::stableDeviceKey(ADBService adb, QString serial)
{
    const QStringList properties{QStringLiteral("ro.serialno"), QStringLiteral("ro.boot.serialno")};
    for (const QString &property : properties) {
        const QString value = co_await adb.getprop(serial, property);
        if (!value.isEmpty() && value.compare(QLatin1String("unknown"), Qt::CaseInsensitive) != 0)
            co_return value;
    }
    co_return serial;
}

std::optional<QString> DesktopService::launcherFromResolveOutput(const QString &output)
{
    static const QRegularExpression edges(QStringLiteral("^[ \\t]+|[ \\t]+$"));
    const QStringList lines = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QString line = QString(*it).remove(edges);
        const qsizetype slash = line.indexOf(QLatin1Char('/'));
        if (slash > 0 && !line.contains(QLatin1Char(' ')))
            return line.left(slash);
    }
    return std::nullopt;
}

QCoro::Task<std::optional<QString>> DesktopService::defaultLauncherPackage(ADBService adb, QString serial)
{
    const QStringList command{QStringLiteral("cmd"),
                              QStringLiteral("package"),
                              QStringLiteral("resolve-activity"),
                              QStringLiteral("--brief"),
                              QStringLiteral("-a"),
                              QStringLiteral("android.intent.action.MAIN"),
                              QStringLiteral("-c"),
                              QStringLiteral("android.intent.category.HOME")};
    try {
        const QString output = co_await adb.shell(serial, command);
        co_return launcherFromResolveOutput(output);
    } catch (const std::exception &) {
    }
    co_return std::nullopt;
}

DesktopCapabilities DesktopService::capabilities(const DeviceProfile &profile,
                                                 const QList<DesktopSettingDiagnostic> &settings,
                                                 bool backupAvailable,
                                                 const std::optional<QString> &launcherPackage)
{
    const Geometry geometry = recommendedGeometry(profile);
    const QStringList keys = settingKeys(profile.sdk);
    const bool prepared = std::all_of(keys.cbegin(), keys.cend(),
                                      [&settings](const QString &key) { return isEnabled(settings, key); });

    DesktopCapabilities capabilities;
    capabilities.supported = profile.canAttemptVirtualDisplay;
    capabilities.environmentKind = QStringLiteral("virtual_display");
    capabilities.environmentLabel = QStringLiteral("Virtual Display");
    capabilities.launchLabel = QStringLiteral("Launch Virtual Display");
    capabilities.virtualDisplaySupported = profile.canAttemptVirtualDisplay;
    capabilities.androidDesktopWindowingAvailable =
        profile.sdk >= 34 && isEnabled(settings, QStringLiteral("enable_freeform_support")) &&
        isEnabled(settings, QStringLiteral("force_desktop_mode_on_external_displays"));
    capabilities.samsungDexAvailable = profile.brand.toLower().contains(QLatin1String("samsung"));
    capabilities.recommendedWidth = geometry.width;
    capabilities.recommendedHeight = geometry.height;
    capabilities.recommendedDensity = geometry.density;
    capabilities.freeformSupported = profile.sdk >= 29;
    capabilities.launcherPackage = launcherPackage;
    capabilities.prepared = prepared;
    capabilities.backupAvailable = backupAvailable;
    capabilities.summary = summaryFor(prepared, backupAvailable);
    capabilities.message =
        profile.canAttemptVirtualDisplay
            ? QStringLiteral("Android %1 supports scrcpy virtual displays.").arg(profile.androidVersion)
            : QStringLiteral("Android 11 or newer is required for scrcpy virtual displays.");
    return capabilities;
}

QCoro::Task<DesktopCapabilities> DesktopService::probeCapabilities(QString serial) const
{
    const ADBService adb{paths};
    const DeviceProfile profile = co_await adb.inspectDevice(serial);
    QList<DesktopSettingDiagnostic> settings;
    for (const QString &key : settingKeys(profile.sdk)) {
        const std::optional<QString> value = co_await getGlobalSetting(adb, serial, key);
        settings.append({key, value});
    }
    const QString deviceKey = co_await stableDeviceKey(adb, serial);
    const bool backupAvailable = DesktopBackupStore::read().devices.contains(deviceKey);
    const std::optional<QString> launcher = co_await defaultLauncherPackage(adb, serial);
    co_return capabilities(profile, settings, backupAvailable, launcher);
}

QCoro::Task<void> DesktopService::saveBackupIfMissing(ADBService adb, QString serial, quint32 sdk) const
{
    const DesktopService self = *this;
    const QString deviceKey = co_await stableDeviceKey(adb, serial);
    if (loadStore(enableRefused).devices.contains(deviceKey))
        co_return;
    DesktopSettingsBackup backup;
    for (const QString &key : settingKeys(sdk)) {
        const std::optional<QString> value = co_await readSettingForBackup(adb, serial, key);
        backup.settings.insert(key, value);
    }
    // The phone answers slowly enough for another action, or another program, to have saved a backup
    // meanwhile: the store is read again under its lock, and an earlier backup always wins.
    bool saved = false;
    try {
        DesktopBackupStore::update([&](DesktopBackupStore &store) {
            saved = !store.devices.contains(deviceKey);
            if (saved)
                store.devices.insert(deviceKey, backup);
            return saved;
        });
    } catch (const JsonFile::UnreadableFile &) {
        throw unreadableBackup(enableRefused);
    } catch (const FileSystemError &error) {
        throw FileSystemError(QStringLiteral("%1: the settings backup could not be saved to %2 (%3), so "
                                             "nothing on the phone was changed.")
                                  .arg(enableRefused, AppPaths::desktopBackupFile(), error.text()));
    }
    if (saved)
        self.report(QStringLiteral("Saved a backup of %1 Android desktop settings for this device.")
                        .arg(backup.settings.size()));
}

QCoro::Task<DesktopExperienceResult> DesktopService::enableDesktopExperience(QString serial) const
{
    const DesktopService self = *this;
    const ADBService adb{self.paths};
    const QList<DeviceInfo> devices = co_await adb.listDevices();
    const bool ready = std::any_of(devices.cbegin(), devices.cend(), [&serial](const DeviceInfo &device) {
        return device.serial == serial && device.state == QLatin1String("device");
    });
    if (!ready)
        throw ScrcpyError::deviceState(
            QStringLiteral("Authorize the device before changing desktop settings."));

    // The backup covers every key written below, whatever the phone's SDK, so a restore undoes all of it.
    // Nothing is written to the phone unless the backup is safely on disk.
    constexpr quint32 everyKeySdk = 36;
    co_await self.saveBackupIfMissing(adb, serial, everyKeySdk);
    for (const QString &key : settingKeys()) {
        QStringList command = globalSettingCommand(QStringLiteral("put"), key);
        command.append(enabledValue);
        co_await adb.shell(serial, command);
    }
    self.report(QStringLiteral("Rebooting the phone so the new windowing settings apply…"));
    co_await reboot(adb, serial);
    co_return DesktopExperienceResult{
        true, true, true,
        QStringLiteral("Desktop settings enabled from a fresh backup, and the phone is "
                       "rebooting. Reconnect after the reboot; a restore remains "
                       "available.")};
}

QCoro::Task<DesktopExperienceResult> DesktopService::restoreDesktopExperience(QString serial) const
{
    const DesktopService self = *this;
    const ADBService adb{self.paths};
    co_await requireReadyForRestore(adb, serial);
    const QString deviceKey = co_await stableDeviceKey(adb, serial);
    const DesktopBackupStore store = loadStore(restoreRefused);
    if (!store.devices.contains(deviceKey))
        throw ScrcpyError::invalidInput(QStringLiteral("There is no settings backup for this device yet."));

    const DesktopSettingsBackup backup = store.devices.value(deviceKey);
    bool everyCommandSucceeded = true;
    for (auto it = backup.settings.cbegin(); it != backup.settings.cend(); ++it) {
        QStringList command =
            globalSettingCommand(it.value() ? QStringLiteral("put") : QStringLiteral("delete"), it.key());
        if (it.value())
            command.append(phoneShellWord(*it.value()));
        try {
            co_await adb.shell(serial, command);
        } catch (const std::exception &) {
            everyCommandSucceeded = false;
        }
    }
    if (!everyCommandSucceeded) {
        // The backup stays, so the values that did not go back can still be restored later.
        self.report(
            QStringLiteral("Some backed-up Android desktop settings could not be restored. Rebooting the "
                           "phone…"));
        co_await reboot(adb, serial);
        co_return DesktopExperienceResult{
            false, true, true,
            QStringLiteral("Some Android desktop settings could not be restored, and "
                           "the phone is rebooting. The backup is kept, so you can "
                           "restore again.")};
    }
    try {
        DesktopBackupStore::update(
            [&deviceKey](DesktopBackupStore &remaining) { return remaining.devices.remove(deviceKey) > 0; });
    } catch (const std::exception &error) {
        // The phone has its settings back; a backup left behind only means the next enable keeps it.
        self.report(
            QStringLiteral("The used backup could not be removed: %1").arg(QString::fromUtf8(error.what())));
    }
    self.report(QStringLiteral("Restored the backed-up Android desktop settings. Rebooting the phone…"));
    co_await reboot(adb, serial);
    co_return DesktopExperienceResult{
        false, false, true,
        QStringLiteral("Android desktop settings restored to their previous values, and the "
                       "phone is rebooting.")};
}

QCoro::Task<void> DesktopService::reboot(ADBService adb, QString serial)
{
    const QStringList arguments{QStringLiteral("-s"), serial, QStringLiteral("reboot")};
    try {
        co_await ProcessRunner::output(adb.paths.adb(), arguments);
    } catch (const std::exception &) {
    }
}

} // namespace quorvane
