// AppModel: the wireless, desktop, camera, media and doctor actions.
#include "AppModel.h"

#include "AppPaths.h"
#include "CameraService.h"
#include "DesktopService.h"
#include "DoctorService.h"
#include "Errors.h"
#include "ProcessRunner.h"
#include "RuntimeLocator.h"
#include "WirelessService.h"

#include <QPointer>

namespace quorvane::app {

namespace {

// One capability probe as the model runs it: the service call, the busy flag it holds up, the field its
// answer is published in, and the words its failure is logged under.
template<typename Service, typename Capabilities>
struct CapabilityProbe
{
    using Answer = Capabilities;

    Service service;
    QCoro::Task<Capabilities> (Service::*query)(QString) const;
    QString serial;
    bool AppModel::*busy;
    void (AppModel::*busyChanged)();
    std::optional<Capabilities> AppModel::*answer;
    void (AppModel::*answerChanged)();
    QString failurePrefix;
};

} // namespace

QCoro::Task<void> AppModel::connectWireless(QString address)
{
    const auto alive = m_alive;
    publish(m_wirelessBusy, true, &AppModel::wirelessBusyChanged);
    const WirelessService wireless{paths(), m_timing};
    try {
        QCoro::Task<QString> connecting = wireless.connectDevice(address);
        const QString message = co_await std::move(connecting);
        if (!*alive)
            co_return;
        m_pairedAddress.reset();
        publish(m_wirelessMessageTone, MessageTone::Success, &AppModel::wirelessMessageToneChanged);
        publish(m_wirelessMessage, std::optional(message), &AppModel::wirelessMessageChanged);
        QCoro::Task<bool> rereading = publishRemembered(wireless);
        if (!co_await std::move(rereading))
            co_return;
    } catch (const std::exception &error) {
        if (*alive)
            reportWireless(WirelessService::connectFailureText(errorText(error), address, m_pairedAddress),
                           MessageTone::Failure);
        co_return;
    }
    QCoro::Task<void> refresh = refreshDevices();
    co_await std::move(refresh);
    if (*alive)
        publish(m_wirelessBusy, false, &AppModel::wirelessBusyChanged);
}

// Pairing does not connect, so nothing needs refreshing.
QCoro::Task<void> AppModel::pairWireless(QString address, QString code)
{
    const auto alive = m_alive;
    publish(m_wirelessBusy, true, &AppModel::wirelessBusyChanged);
    const WirelessService wireless{paths(), m_timing};
    std::optional<QString> message;
    bool paired = false;
    try {
        QCoro::Task<QString> pairing = wireless.pairDevice(address, code);
        message = co_await std::move(pairing);
        paired = true;
    } catch (const std::exception &error) {
        message = errorText(error);
    }
    if (!*alive)
        co_return;
    if (paired)
        m_pairedAddress = address.trimmed();
    reportWireless(message, paired ? MessageTone::Success : MessageTone::Failure);
}

QCoro::Task<void> AppModel::checkWirelessPairing()
{
    const auto alive = m_alive;
    const WirelessService wireless{paths(), m_timing};
    QCoro::Task<std::optional<QString>> asking = wireless.pairingProblem();
    std::optional<QString> problem = co_await std::move(asking);
    if (*alive)
        publish(m_wirelessPairingProblem, std::move(problem), &AppModel::wirelessPairingProblemChanged);
}

QCoro::Task<void> AppModel::forgetWireless(QString address)
{
    const auto alive = m_alive;
    const WirelessService wireless{paths(), m_timing};
    try {
        QCoro::Task<TransportSwitchResult> forgetting = wireless.forgetDevice(address);
        const TransportSwitchResult result = co_await std::move(forgetting);
        if (!*alive)
            co_return;
        publish(m_wirelessMessageTone, MessageTone::Success, &AppModel::wirelessMessageToneChanged);
        publish(m_wirelessMessage, std::optional(result.message), &AppModel::wirelessMessageChanged);
        QCoro::Task<bool> rereading = publishRemembered(wireless);
        if (!co_await std::move(rereading))
            co_return;
    } catch (const std::exception &error) {
        if (*alive)
            reportWireless(errorText(error), MessageTone::Failure);
        co_return;
    }
    QCoro::Task<void> refresh = refreshDevices();
    co_await std::move(refresh);
}

QCoro::Task<void> AppModel::enableWirelessFromUSB(QString serial)
{
    const auto alive = m_alive;
    publish(m_wirelessBusy, true, &AppModel::wirelessBusyChanged);
    const WirelessService wireless{paths(), m_timing};
    const bool hadSession = mirrorsOver(serial);
    std::optional<TransportSwitchResult> result;
    try {
        QCoro::Task<TransportSwitchResult> switching = wireless.enableUSBWireless(serial);
        result = co_await std::move(switching);
        if (!*alive)
            co_return;
        publish(m_wirelessMessageTone, MessageTone::Success, &AppModel::wirelessMessageToneChanged);
        publish(m_wirelessMessage, std::optional(result->message), &AppModel::wirelessMessageChanged);
        QCoro::Task<bool> rereading = publishRemembered(wireless);
        if (!co_await std::move(rereading))
            co_return;
    } catch (const std::exception &error) {
        if (*alive)
            reportWireless(errorText(error), MessageTone::Failure);
        co_return;
    }
    QCoro::Task<void> refresh = refreshDevices();
    co_await std::move(refresh);
    if (!*alive)
        co_return;
    // The refresh may have kept the USB serial selected; the user now works with the wireless one.
    setSelectedSerial(result->activeSerial);
    publish(m_wirelessBusy, false, &AppModel::wirelessBusyChanged);
    if (hadSession) {
        QCoro::Task<void> moving = moveSession(serial, result->activeSerial);
        co_await std::move(moving);
    }
}

QCoro::Task<void> AppModel::switchToUSB(QString serial)
{
    const auto alive = m_alive;
    publish(m_wirelessBusy, true, &AppModel::wirelessBusyChanged);
    const WirelessService wireless{paths(), m_timing};
    // Asked before the switch: dropping the Wi-Fi transport ends the session on it.
    const bool hadSession = mirrorsOver(serial);
    std::optional<TransportSwitchResult> result;
    try {
        QCoro::Task<TransportSwitchResult> switching = wireless.switchToUSB(serial);
        result = co_await std::move(switching);
    } catch (const std::exception &error) {
        if (*alive)
            reportWireless(errorText(error), MessageTone::Failure);
        co_return;
    }
    if (!*alive)
        co_return;
    publish(m_wirelessMessageTone, MessageTone::Success, &AppModel::wirelessMessageToneChanged);
    publish(m_wirelessMessage, std::optional(result->message), &AppModel::wirelessMessageChanged);
    QCoro::Task<void> refresh = refreshDevices();
    co_await std::move(refresh);
    if (!*alive)
        co_return;
    if (result->activeConnection == QLatin1String("usb"))
        setSelectedSerial(result->activeSerial);
    publish(m_wirelessBusy, false, &AppModel::wirelessBusyChanged);
    if (hadSession) {
        QCoro::Task<void> moving = moveSession(serial, result->activeSerial);
        co_await std::move(moving);
    }
}

bool AppModel::mirrorsOver(const QString &serial)
{
    return m_lastLaunchConfig && m_lastLaunchConfig->serial == serial &&
           sessionManager().runningSerials().contains(serial);
}

// The session follows its phone to the other transport (the cable may be pulled next, or the Wi-Fi
// transport is gone): what the user sees and chose stays, only the way to the phone changes.
QCoro::Task<void> AppModel::moveSession(QString from, QString to)
{
    const auto alive = m_alive;
    if (from == to || !m_lastLaunchConfig || m_lastLaunchConfig->serial != from)
        co_return;
    LaunchConfig moved = *m_lastLaunchConfig;
    moved.serial = to;
    const QString moving = QStringLiteral("Moving the session to %1.").arg(to);
    QCoro::Task<void> stopping = stopSessions(from, moving, moving);
    co_await std::move(stopping);
    if (!*alive)
        co_return;
    QCoro::Task<bool> starting = launch(moved);
    co_await std::move(starting);
}

QCoro::Task<void> AppModel::reloadRememberedWireless()
{
    const WirelessService wireless{paths(), m_timing};
    QCoro::Task<bool> rereading = publishRemembered(wireless);
    co_await std::move(rereading);
}

// False when the model went away while the list was read.
QCoro::Task<bool> AppModel::publishRemembered(WirelessService wireless)
{
    const auto alive = m_alive;
    QCoro::Task<QList<RememberedWirelessDevice>> listing = wireless.listRemembered();
    QList<RememberedWirelessDevice> remembered = co_await std::move(listing);
    if (!*alive)
        co_return false;
    publish(m_rememberedWireless, std::move(remembered), &AppModel::rememberedWirelessChanged);
    co_return true;
}

void AppModel::reportWireless(std::optional<QString> message, MessageTone tone)
{
    if (message && tone == MessageTone::Failure)
        noteFailure(*message);
    logFailure(message, tone);
    publish(m_wirelessMessageTone, tone, &AppModel::wirelessMessageToneChanged);
    publish(m_wirelessMessage, std::move(message), &AppModel::wirelessMessageChanged);
    publish(m_wirelessBusy, false, &AppModel::wirelessBusyChanged);
}

DesktopService AppModel::desktopService()
{
    const QPointer<AppModel> self(this);
    return DesktopService{paths(), [self](const QString &line) {
                              if (self)
                                  QMetaObject::invokeMethod(self, [self, line] { self->appendLog(line); });
                          }};
}

// The busy flag is up for the whole probe and comes down however it ends; a failure only reaches the log.
template<typename Probe>
QCoro::Task<void> AppModel::runProbe(Probe probe)
{
    const auto alive = m_alive;
    publish(this->*probe.busy, true, probe.busyChanged);
    std::optional<typename Probe::Answer> answer;
    QString failure;
    try {
        QCoro::Task<typename Probe::Answer> probing = (probe.service.*probe.query)(probe.serial);
        answer = co_await std::move(probing);
    } catch (const std::exception &error) {
        failure = errorText(error);
    }
    if (!*alive)
        co_return;
    if (answer) {
        publish(this->*probe.answer, std::move(answer), probe.answerChanged);
    } else {
        appendLog(probe.failurePrefix + failure);
        noteFailure(failure);
    }
    publish(this->*probe.busy, false, probe.busyChanged);
}

QCoro::Task<void> AppModel::probeDesktop(QString serial)
{
    return runProbe(CapabilityProbe<DesktopService, DesktopCapabilities>{
        desktopService(), &DesktopService::probeCapabilities, std::move(serial), &AppModel::m_desktopBusy,
        &AppModel::desktopBusyChanged, &AppModel::m_desktopCapabilities,
        &AppModel::desktopCapabilitiesChanged, QStringLiteral("Desktop probe failed: ")});
}

QCoro::Task<void> AppModel::enableDesktop(QString serial, bool confirmed)
{
    if (!confirmed)
        co_return;
    QCoro::Task<void> changing = changeDesktop(std::move(serial), true);
    co_await std::move(changing);
}

QCoro::Task<void> AppModel::restoreDesktop(QString serial)
{
    QCoro::Task<void> changing = changeDesktop(std::move(serial), false);
    co_await std::move(changing);
}

QCoro::Task<void> AppModel::changeDesktop(QString serial, bool enable)
{
    const auto alive = m_alive;
    // One reboot at a time: a second request while the phone restarts would back up half-changed values.
    if (m_desktopChanging)
        co_return;
    showDesktopActivity(
        enable ? QStringLiteral("Backing up the desktop settings, enabling desktop windowing "
                                "and rebooting the phone…")
               : QStringLiteral("Restoring the saved desktop settings and rebooting the phone…"));
    const DesktopService desktop = desktopService();
    std::optional<DesktopExperienceResult> result;
    QString failure;
    try {
        QCoro::Task<DesktopExperienceResult> changing =
            enable ? desktop.enableDesktopExperience(serial) : desktop.restoreDesktopExperience(serial);
        result = co_await std::move(changing);
    } catch (const std::exception &error) {
        failure = errorText(error);
    }
    if (!*alive)
        co_return;
    if (!result) {
        // Every failure gets its sentence: a backup that could not be saved is as worth saying as a
        // phone that is not ready.
        reportLaunch(failure, true);
        showDesktopActivity(std::nullopt);
        co_return;
    }
    // A restore that left some settings behind keeps its backup and is shown as not done.
    reportLaunch(result->message, !enable && result->backupAvailable);
    showDesktopActivity(QStringLiteral("Checking the phone's display support again…"));
    QCoro::Task<void> probing = probeDesktop(serial);
    co_await std::move(probing);
    if (*alive)
        showDesktopActivity(std::nullopt);
}

void AppModel::showDesktopActivity(std::optional<QString> activity)
{
    const bool changing = activity.has_value();
    publish(m_desktopActivity, std::move(activity), &AppModel::desktopActivityChanged);
    publish(m_desktopChanging, changing, &AppModel::desktopChangingChanged);
}

void AppModel::openDesktopDiagnostics()
{
    QString folder;
    try {
        folder = AppPaths::desktopDiagnosticsFolder();
    } catch (const std::exception &error) {
        reportLaunch(errorText(error), true);
        return;
    }
    try {
        MediaService::openFolder(folder);
    } catch (const std::exception &) {
        reportLaunch(QStringLiteral("Could not open Desktop Diagnostics."), true);
        return;
    }
    reportLaunch(QStringLiteral("Opened Desktop Diagnostics — ") + folder, false);
}

QCoro::Task<void> AppModel::probeCameras(QString serial)
{
    return runProbe(CapabilityProbe<CameraService, CameraCapabilities>{
        CameraService{paths()}, &CameraService::listCapabilities, std::move(serial),
        &AppModel::m_probingCameras, &AppModel::probingCamerasChanged, &AppModel::m_cameraCapabilities,
        &AppModel::cameraCapabilitiesChanged, QStringLiteral("Camera probe failed: ")});
}

QCoro::Task<void> AppModel::captureScreenshot(std::optional<quint32> displayId)
{
    QCoro::Task<void> capturing = takeScreenshot(displayId, false);
    co_await std::move(capturing);
}

QCoro::Task<void> AppModel::captureDesktopScreenshot()
{
    QCoro::Task<void> capturing = takeScreenshot(std::nullopt, true);
    co_await std::move(capturing);
}

QCoro::Task<void> AppModel::takeScreenshot(std::optional<quint32> displayId, bool desktop)
{
    const auto alive = m_alive;
    publish(m_capturingScreenshot, true, &AppModel::capturingScreenshotChanged);
    if (!m_selectedSerial) {
        publish(m_capturingScreenshot, false, &AppModel::capturingScreenshotChanged);
        co_return;
    }
    const QString serial = *m_selectedSerial;
    const MediaService media = mediaService();
    std::optional<QString> path;
    QString failure;
    try {
        QCoro::Task<QString> capturing =
            desktop ? media.captureDesktopScreenshot(serial) : media.captureScreenshot(serial, displayId);
        path = co_await std::move(capturing);
    } catch (const std::exception &error) {
        failure = errorText(error);
    }
    if (!*alive)
        co_return;
    if (path) {
        reportLaunch(QStringLiteral("Screenshot saved to ") + *path, false);
        appendLog((desktop ? QStringLiteral("Desktop screenshot captured: ")
                           : QStringLiteral("Screenshot captured: ")) +
                  *path);
    } else {
        reportLaunch(failure, true);
    }
    publish(m_capturingScreenshot, false, &AppModel::capturingScreenshotChanged);
}

void AppModel::openMediaFolder()
{
    openFolder(false);
}

void AppModel::openRecordingsFolder()
{
    openFolder(true);
}

void AppModel::openFolder(bool recordings)
{
    try {
        const MediaService media = mediaService();
        const QString path = recordings ? media.openRecordingsFolder() : media.openMediaFolder();
        reportLaunch((recordings ? QStringLiteral("Opened recordings folder — ")
                                 : QStringLiteral("Opened media folder — ")) +
                         path,
                     false);
    } catch (const std::exception &error) {
        reportLaunch(errorText(error), true);
    }
}

QCoro::Task<void> AppModel::pushFiles(QStringList localPaths)
{
    const auto refuse = [this](const QString &text) { reportFileTransfer(text, MessageTone::Failure); };
    if (!m_selectedSerial) {
        refuse(QStringLiteral("No device selected."));
        co_return;
    }
    const QString adb = paths().adb();
    if (!ProcessRunner::isUsableExecutable(adb)) {
        refuse(QStringLiteral("Device bridge missing."));
        co_return;
    }
    // The phone chosen when the files were handed over, even if the selection moves while they go.
    QCoro::Task<void> pushing = m_filePushes->push(adb, *m_selectedSerial, std::move(localPaths));
    co_await std::move(pushing);
}

void AppModel::reportFileTransfer(const QString &message, MessageTone tone)
{
    logFailure(message, tone);
    publish(m_fileTransferTone, tone, &AppModel::fileTransferToneChanged);
    publish(m_fileTransferStatus, std::optional(message), &AppModel::fileTransferStatusChanged);
}

QCoro::Task<void> AppModel::runDoctor()
{
    const auto alive = m_alive;
    publish(m_doctorRunning, true, &AppModel::doctorRunningChanged);
    PlatformServices *platform = m_platform;
    const ToolPaths toolPaths = paths();
    const DoctorService doctor{RuntimeLocator{toolPaths.adbOverride, toolPaths.scrcpyOverride},
                               [platform] { return platform && platform->hasAccessibility(); }, desktop(),
                               mirrorThroughXWayland()};
    QCoro::Task<QList<DoctorFinding>> diagnosing = doctor.runDoctor(toolPaths);
    QList<DoctorFinding> findings = co_await std::move(diagnosing);
    if (!*alive)
        co_return;
    findings += m_failureFindings;
    publish(m_doctorFindings, std::move(findings), &AppModel::doctorFindingsChanged);
    publish(m_doctorRunning, false, &AppModel::doctorRunningChanged);
}

} // namespace quorvane::app
