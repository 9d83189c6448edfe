#include "DoctorService.h"

#include "ADBService.h"
#include "Errors.h"
#include "WirelessService.h"

#include <QSet>

namespace quorvane {

namespace {

using Level = DoctorFinding::Level;

const QString accessibilityPurpose = QStringLiteral(
    "Optional: lets Quorvane send keyboard shortcuts to the mirror window (for example turn the "
    "screen off). Mirroring works without it.");

DoctorFinding adbFinding(const std::optional<QString> &path)
{
    if (path)
        return {Level::Ok, QStringLiteral("ADB ready"), QStringLiteral("Using %1.").arg(*path), std::nullopt};
    return {Level::Error, QStringLiteral("ADB missing"),
            QStringLiteral("Quorvane cannot detect Android devices without ADB."),
            RuntimeLocator::adbMissing()};
}

DoctorFinding scrcpyFinding(const std::optional<QString> &path, const std::optional<ToolVersion> &release)
{
    const std::optional<QString> problem = RuntimeLocator::scrcpyProblem(path, release);
    if (!problem)
        return {Level::Ok, QStringLiteral("scrcpy ready"), QStringLiteral("Using %1.").arg(*path),
                std::nullopt};
    if (!path)
        return {Level::Error, QStringLiteral("scrcpy missing"),
                QStringLiteral("The mirroring engine is not available yet."), *problem};
    return {Level::Error,
            release ? QStringLiteral("scrcpy too old") : QStringLiteral("scrcpy version unknown"), *problem,
            std::nullopt};
}

DoctorFinding accessibilityFinding(bool trusted)
{
    if (trusted)
        return {Level::Ok, QStringLiteral("Accessibility permission granted"),
                QStringLiteral("You can use keyboard shortcuts like Turn Screen Off and Fullscreen."),
                QStringLiteral("No action needed.")};
    return {Level::Warning, QStringLiteral("Accessibility permission not granted"), accessibilityPurpose,
            QStringLiteral(
                "You can grant the permission in System Settings › Privacy & Security › Accessibility.")};
}

// Mirroring works with any adb; only wireless pairing needs a newer one, hence a warning.
std::optional<DoctorFinding> pairingFinding(const std::optional<ToolVersion> &release)
{
    const std::optional<QString> problem = WirelessService::adbCannotPair(release);
    if (!problem)
        return std::nullopt;
    return DoctorFinding{
        Level::Warning, QStringLiteral("ADB cannot pair over Wi-Fi"), *problem,
        QStringLiteral("Install Android platform-tools %1 or newer and set its adb in Settings.")
            .arg(ToolVersion::adbPairingMinimum().major)};
}

DoctorFinding closingNote()
{
    return {
        Level::Info, QStringLiteral("Accessibility (optional)"), accessibilityPurpose,
        QStringLiteral("Grant in System Settings › Privacy & Security › Accessibility if you want shortcut "
                       "buttons.")};
}

DoctorFinding stateFinding(const DeviceInfo &device)
{
    if (device.state == QLatin1String("device"))
        return {Level::Ok, QStringLiteral("Device authorized"),
                device.displayName() + QStringLiteral(" is ready for control."), std::nullopt};
    if (device.state == QLatin1String("unauthorized"))
        return {Level::Warning, QStringLiteral("USB debugging approval needed"),
                device.serial + QStringLiteral(" is connected but not authorized."),
                QStringLiteral("Unlock the phone and tap Allow on the USB debugging prompt.")};
    if (device.state == QLatin1String("offline"))
        return {Level::Warning, QStringLiteral("Device offline"),
                device.serial + QStringLiteral(" is visible to ADB but not responding."),
                QStringLiteral("Reconnect USB or restart Wireless debugging, then refresh.")};
    return {Level::Info, QStringLiteral("Device needs attention"),
            QStringLiteral("%1 reports state '%2'.").arg(device.serial, device.state),
            QStringLiteral("Reconnect the device and refresh.")};
}

// A phone seen over USB and Wi-Fi at once is one phone when the list names it fully both times.
QString identity(const DeviceInfo &device)
{
    if (device.product && device.model && device.device)
        return *device.product + QLatin1Char('|') + *device.model + QLatin1Char('|') + *device.device;
    return device.serial;
}

} // namespace

QList<DoctorFinding> DoctorService::deviceFindings(const QList<DeviceInfo> &devices)
{
    if (devices.isEmpty())
        return {{Level::Warning, QStringLiteral("No phone detected"),
                 QStringLiteral("ADB is working, but no Android device is visible."),
                 QStringLiteral("Use a data-capable USB cable, enable USB debugging, then reconnect.")}};
    QList<DoctorFinding> findings;
    QSet<QString> seen;
    for (const DeviceInfo &device : devices) {
        const QString key = identity(device);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        findings.append(stateFinding(device));
    }
    return findings;
}

QCoro::Task<QList<DoctorFinding>> DoctorService::runDoctor(ToolPaths paths) const
{
    // The version query suspends this call: what is read of the service afterwards is its own copy.
    const DoctorService self = *this;
    const std::optional<QString> adb = self.locator.resolveTool(QStringLiteral("adb"));
    QList<DoctorFinding> findings{adbFinding(adb)};
    if (adb) {
        const std::optional<ToolVersion> release = co_await RuntimeLocator::adbRelease(*adb);
        if (const std::optional<DoctorFinding> pairing = pairingFinding(release))
            findings.append(*pairing);
    }
    const std::optional<QString> scrcpy = self.locator.resolveTool(QStringLiteral("scrcpy"));
    std::optional<ToolVersion> scrcpyRelease;
    if (scrcpy)
        scrcpyRelease = co_await RuntimeLocator::scrcpyRelease(*scrcpy);
    findings.append(scrcpyFinding(scrcpy, scrcpyRelease));
    findings.append(accessibilityFinding(self.accessibilityTrusted && self.accessibilityTrusted()));
    if (adb) {
        try {
            const ADBService bridge{paths};
            const QList<DeviceInfo> devices = co_await bridge.listDevices();
            findings += deviceFindings(devices);
        } catch (const std::exception &error) {
            findings.append({Level::Error, QStringLiteral("ADB check failed"),
                             QString::fromUtf8(error.what()),
                             QStringLiteral("Close other ADB tools, reconnect the phone, and refresh.")});
        }
    }
    findings.append(closingNote());
    co_return findings;
}

} // namespace quorvane
