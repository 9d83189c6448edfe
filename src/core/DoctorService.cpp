#include "DoctorService.h"

#include "ADBService.h"
#include "AdbInstallations.h"
#include "ErrorCatalog.h"
#include "Errors.h"
#include "WirelessService.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
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

const QString shortcutsReady = QStringLiteral("Keyboard shortcuts ready");
const QString shortcutsUnavailable = QStringLiteral("Keyboard shortcuts unavailable");

DoctorFinding macFinding(bool trusted)
{
    if (trusted)
        return {Level::Ok, QStringLiteral("Accessibility permission granted"),
                QStringLiteral("You can use keyboard shortcuts like Turn Screen Off and Fullscreen."),
                QStringLiteral("No action needed.")};
    return {Level::Warning, QStringLiteral("Accessibility permission not granted"), accessibilityPurpose,
            QStringLiteral(
                "You can grant the permission in System Settings › Privacy & Security › Accessibility.")};
}

// X has no permission to grant: keys travel through the XTEST extension, which nearly every server has.
DoctorFinding x11Finding(bool trusted)
{
    if (trusted)
        return {Level::Ok, shortcutsReady,
                QStringLiteral("You can use keyboard shortcuts like Turn Screen Off and Fullscreen: "
                               "Quorvane types them through the X display."),
                QStringLiteral("No action needed: X11 has no permission to grant.")};
    return {Level::Warning, shortcutsUnavailable, accessibilityPurpose,
            QStringLiteral("This X display does not offer the XTEST extension that shortcut keys need. "
                           "X11 has no permission to grant.")};
}

// Wayland lets no program type into another's window; an X11 window shown by XWayland still takes keys.
DoctorFinding waylandFinding(bool xwaylandWindows, bool trusted)
{
    if (!xwaylandWindows)
        return {
            Level::Warning, QStringLiteral("Live toggles need an X11 window"),
            QStringLiteral("On Wayland, Quorvane cannot send keys to the mirror window, so the live "
                           "toggles Fullscreen, Screen Off and Torch work only when that window runs "
                           "through XWayland. Mirroring works without it."),
            QStringLiteral("Turn on \"%1\" in Settings: new sessions then start scrcpy with %2=%3.")
                .arg(HostDesktop::xwaylandOption, HostDesktop::xwaylandVariable, HostDesktop::xwaylandValue)};
    if (trusted)
        return {Level::Ok, shortcutsReady,
                QStringLiteral("Mirror windows run through XWayland, so you can use keyboard shortcuts like "
                               "Turn Screen Off and Fullscreen."),
                QStringLiteral("No action needed.")};
    return {
        Level::Warning, shortcutsUnavailable,
        QStringLiteral("Mirror windows are set to run through XWayland, but no XWayland display answered."),
        QStringLiteral("Install XWayland (the xwayland package) and log in again.")};
}

DoctorFinding accessibilityFinding(const DoctorService &doctor, bool trusted)
{
    switch (doctor.desktop.kind()) {
    case HostDesktop::Kind::MacOS:
        return macFinding(trusted);
    case HostDesktop::Kind::X11:
        return x11Finding(trusted);
    case HostDesktop::Kind::Wayland:
        return waylandFinding(doctor.xwaylandWindows, trusted);
    case HostDesktop::Kind::None:
        break;
    }
    return {
        Level::Warning, shortcutsUnavailable,
        QStringLiteral("No graphical session was found (no DISPLAY or WAYLAND_DISPLAY is set), so there is "
                       "no window to send keys to."),
        QStringLiteral("Run Quorvane inside a desktop session.")};
}

// Without the application's own check, the desktop decides: X11 has nothing to grant, Wayland needs the
// X11 windows and an XWayland display, and macOS's permission belongs to the application only.
bool presumedTrusted(const DoctorService &doctor)
{
    if (doctor.accessibilityTrusted)
        return doctor.accessibilityTrusted();
    switch (doctor.desktop.kind()) {
    case HostDesktop::Kind::X11:
        return true;
    case HostDesktop::Kind::Wayland:
        return doctor.xwaylandWindows && qEnvironmentVariableIsSet("DISPLAY");
    default:
        return false;
    }
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

// Only the first other version is named: one conflict is enough to explain dropping phones.
std::optional<DoctorFinding> fightingAdbFinding(const QString &adb,
                                                const QList<AdbInstallations::Installed> &others)
{
    if (others.isEmpty())
        return std::nullopt;
    const AdbInstallations::Installed &other = others.first();
    return DoctorFinding{
        Level::Warning, QStringLiteral("Two adb versions installed"),
        QStringLiteral("Quorvane uses %1, but %2 (adb %3) is also installed. When both run, each restarts "
                       "the other's server and phones disconnect.")
            .arg(adb, other.path, other.release.text),
        QStringLiteral(
            "Use one adb: point the other program (an IDE's SDK, say) at %1, or set Quorvane's adb "
            "in Settings to %2.")
            .arg(adb, other.path)};
}

DoctorFinding closingNote(const HostDesktop &desktop)
{
    using Kind = HostDesktop::Kind;
    if (desktop.isMac())
        return {Level::Info, QStringLiteral("Accessibility (optional)"), accessibilityPurpose,
                QStringLiteral("Grant in System Settings › Privacy & Security › Accessibility if you want "
                               "shortcut buttons.")};
    const QString title = QStringLiteral("Keyboard shortcuts (optional)");
    if (desktop.kind() == Kind::X11)
        return {Level::Info, title, accessibilityPurpose,
                QStringLiteral("Nothing to grant on X11: shortcut buttons work while the X display offers "
                               "XTEST.")};
    if (desktop.kind() == Kind::Wayland)
        return {Level::Info, title, accessibilityPurpose,
                QStringLiteral("On Wayland, turn on \"%1\" in Settings if you want shortcut buttons.")
                    .arg(HostDesktop::xwaylandOption)};
    return {Level::Info, title, accessibilityPurpose,
            QStringLiteral("Shortcut buttons need a graphical session: X11, or Wayland with XWayland.")};
}

// The vendor half of the phone's USB id, as the kernel describes the device on that port.
std::optional<QString> usbVendor(const QString &folder, const std::optional<QString> &port)
{
    if (!port || port->isEmpty() || port->contains(QLatin1Char('/')))
        return std::nullopt;
    QFile file(folder + QLatin1Char('/') + *port + QStringLiteral("/idVendor"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{4}$"));
    const QString vendor = QString::fromLatin1(file.read(16)).trimmed().toLower();
    return hex.match(vendor).hasMatch() ? std::optional<QString>(vendor) : std::nullopt;
}

// adb lists a phone it may not open: the device node belongs to root. The fix is the user's group and a
// udev rule that hands the phone's vendor to that group.
DoctorFinding noPermissionsFinding(const DeviceInfo &device, const std::optional<QString> &vendor)
{
    const QString rule =
        QStringLiteral("SUBSYSTEM==\"usb\", ATTR{idVendor}==\"%1\", MODE=\"0660\", GROUP=\"plugdev\"")
            .arg(vendor.value_or(QStringLiteral("VENDOR")));
    QString action = QStringLiteral(
        "Install the android-sdk-platform-tools-common package first: its udev rules cover most phones. "
        "Otherwise add yourself to the plugdev group (sudo usermod -aG plugdev $USER, then log out and in) "
        "and create /etc/udev/rules.d/51-android.rules containing the line %1");
    if (!vendor)
        action += QStringLiteral(", where VENDOR is the phone's vendor id: the four digits before the colon "
                                 "in its ID line of lsusb (18d1 in 18d1:4ee7)");
    action += QStringLiteral(". Then run sudo udevadm control --reload-rules and replug the phone.");
    return {Level::Warning, QStringLiteral("USB permission needed"),
            QStringLiteral("%1 is connected, but this user may not open its USB device (adb reports 'no "
                           "permissions').")
                .arg(device.serial),
            action.arg(rule)};
}

DoctorFinding stateFinding(const DeviceInfo &device, const std::optional<QString> &vendor)
{
    if (device.state == QLatin1String("device"))
        return {Level::Ok, QStringLiteral("Device authorized"),
                device.displayName() + QStringLiteral(" is ready for control."), std::nullopt};
    if (device.state == QLatin1String("unauthorized"))
        return {Level::Warning, QStringLiteral("USB debugging approval needed"),
                device.serial + QStringLiteral(" is connected but not authorized."),
                QStringLiteral("Unlock the phone and tap Allow on the USB debugging prompt.")};
    if (device.state == QLatin1String("no permissions"))
        return noPermissionsFinding(device, vendor);
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

// The file that came with the executable; none when no install layout we know holds one.
std::optional<QString> installedServer(const QString &scrcpy)
{
    const QString folder = QFileInfo(scrcpy).canonicalPath();
    if (RuntimeLocator::bundledDirectory() == folder) {
        const std::optional<QString> bundled = RuntimeLocator::bundledServerPath();
        return bundled ? std::optional(QFileInfo(*bundled).canonicalFilePath()) : std::nullopt;
    }
    for (const QString &candidate : {folder + QStringLiteral("/scrcpy-server"),
                                     folder + QStringLiteral("/../share/scrcpy/scrcpy-server")}) {
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).canonicalFilePath();
    }
    return std::nullopt;
}

} // namespace

std::optional<DoctorFinding> DoctorService::foreignServerFinding(const QString &scrcpy,
                                                                 const std::optional<QString> &server)
{
    if (!server || !QFileInfo(*server).isFile())
        return std::nullopt;
    const std::optional<QString> installed = installedServer(scrcpy);
    if (!installed || *installed == QFileInfo(*server).canonicalFilePath())
        return std::nullopt;
    return DoctorFinding{
        Level::Warning, QStringLiteral("scrcpy server from another install"),
        QStringLiteral("SCRCPY_SERVER_PATH names %1, not %2, which came with %3. When the two come from "
                       "different scrcpy versions, every session fails at once.")
            .arg(*server, *installed, scrcpy),
        QStringLiteral("Unset SCRCPY_SERVER_PATH, or point it at %1.").arg(*installed)};
}

QList<DoctorFinding> DoctorService::deviceFindings(const QList<DeviceInfo> &devices) const
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
        findings.append(stateFinding(device, usbVendor(usbDevicesFolder, device.usbPort)));
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
        const QList<AdbInstallations::Installed> others = co_await AdbInstallations::otherVersions(*adb);
        if (const std::optional<DoctorFinding> fighting = fightingAdbFinding(*adb, others))
            findings.append(*fighting);
    }
    const std::optional<QString> scrcpy = self.locator.resolveTool(QStringLiteral("scrcpy"));
    std::optional<ToolVersion> scrcpyRelease;
    if (scrcpy)
        scrcpyRelease = co_await RuntimeLocator::scrcpyRelease(*scrcpy);
    findings.append(scrcpyFinding(scrcpy, scrcpyRelease));
    if (scrcpy) {
        const Environment environment = RuntimeLocator::scrcpyEnvironment(paths);
        const QString server = environment.value(QStringLiteral("SCRCPY_SERVER_PATH"),
                                                 qEnvironmentVariable("SCRCPY_SERVER_PATH"));
        if (const std::optional<DoctorFinding> foreign =
                foreignServerFinding(*scrcpy, server.isEmpty() ? std::nullopt : std::optional(server)))
            findings.append(*foreign);
    }
    const DoctorFinding shortcuts = accessibilityFinding(self, presumedTrusted(self));
    findings.append(shortcuts);
    if (adb) {
        try {
            const ADBService bridge{paths};
            const ADBService::Listing listing = co_await bridge.readDevices();
            if (const std::optional<KnownErrorMatch> known = ErrorCatalog::find(listing.errorOutput))
                findings.append(known->finding());
            findings += self.deviceFindings(listing.devices);
        } catch (const std::exception &error) {
            findings.append({Level::Error, QStringLiteral("ADB check failed"),
                             QString::fromUtf8(error.what()),
                             QStringLiteral("Close other ADB tools, reconnect the phone, and refresh.")});
        }
    }
    // Once shortcuts work, a note on what they would need would read as if they did not.
    if (shortcuts.level != Level::Ok)
        findings.append(closingNote(self.desktop));
    co_return findings;
}

} // namespace quorvane
