#pragma once

#include "CameraSettings.h"
#include "DesktopSettings.h"
#include "FilePushQueue.h"
#include "MessageTone.h"
#include "MirrorPhoneSettings.h"
#include "Notifier.h"
#include "PhoneDirectory.h"
#include "PlatformServices.h"
#include "RememberedChoices.h"
#include "SidebarMode.h"
#include "Sleeper.h"

#include "ADBService.h"
#include "CameraRecords.h"
#include "DesktopRecords.h"
#include "DesktopService.h"
#include "DeviceProfile.h"
#include "DoctorFinding.h"
#include "LaunchConfig.h"
#include "MediaService.h"
#include "Models.h"
#include "Recommendation.h"
#include "SavedProfile.h"
#include "SessionManager.h"
#include "Timing.h"
#include "ToolPaths.h"
#include "WirelessRecords.h"
#include "WirelessService.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <QCoroTask>

#include <exception>
#include <memory>
#include <optional>

namespace quorvane::app {

// The one controller every screen binds to: it holds every user-visible state, keeps the device list and
// the session state fresh, and carries out every user action through the core's services. Everything runs
// on the main thread; actions are coroutines that suspend while adb or scrcpy work, so the event loop
// never waits. A published field notifies only when its value really changes.
class AppModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppModel)
    Q_PROPERTY(SidebarMode selectedMode READ selectedMode WRITE setSelectedMode NOTIFY selectedModeChanged)
    Q_PROPERTY(RuntimeStatus runtime READ runtime NOTIFY runtimeChanged)
    Q_PROPERTY(QList<DeviceInfo> devices READ devices NOTIFY devicesChanged)
    // The device list as phones: a phone on USB and Wi-Fi at once is one row with both transports.
    Q_PROPERTY(QList<quorvane::app::PhoneRow> phones READ phones NOTIFY phonesChanged)
    Q_PROPERTY(std::optional<QString> selectedSerial READ selectedSerial WRITE setSelectedSerial NOTIFY
                   selectedSerialChanged)
    Q_PROPERTY(std::optional<DeviceProfile> deviceProfile READ deviceProfile NOTIFY deviceProfileChanged)
    Q_PROPERTY(bool sessionActive READ sessionActive NOTIFY sessionActiveChanged)
    Q_PROPERTY(std::optional<QString> sessionDevice READ sessionDevice NOTIFY sessionDeviceChanged)
    Q_PROPERTY(std::optional<LaunchConfig> appliedConfig READ appliedConfig NOTIFY appliedConfigChanged)
    Q_PROPERTY(std::optional<QString> launchMessage READ launchMessage NOTIFY launchMessageChanged)
    Q_PROPERTY(bool launchFailed READ launchFailed NOTIFY launchFailedChanged)
    Q_PROPERTY(bool launching READ launching NOTIFY launchingChanged)
    Q_PROPERTY(
        std::optional<QString> lastCommandPreview READ lastCommandPreview NOTIFY lastCommandPreviewChanged)
    Q_PROPERTY(
        QSet<QString> activeSessionSerials READ activeSessionSerials NOTIFY activeSessionSerialsChanged)
    Q_PROPERTY(bool reconnecting READ reconnecting NOTIFY reconnectingChanged)
    Q_PROPERTY(int reconnectAttempt READ reconnectAttempt NOTIFY reconnectAttemptChanged)
    Q_PROPERTY(QStringList logLines READ logLines NOTIFY logLinesChanged)
    Q_PROPERTY(QList<DoctorFinding> doctorFindings READ doctorFindings NOTIFY doctorFindingsChanged)
    Q_PROPERTY(bool doctorRunning READ doctorRunning NOTIFY doctorRunningChanged)
    Q_PROPERTY(bool refreshingDevices READ refreshingDevices NOTIFY refreshingDevicesChanged)
    Q_PROPERTY(bool capturingScreenshot READ capturingScreenshot NOTIFY capturingScreenshotChanged)
    Q_PROPERTY(bool resettingToAuto READ resettingToAuto NOTIFY resettingToAutoChanged)
    Q_PROPERTY(bool applyingLiveSetting READ applyingLiveSetting NOTIFY applyingLiveSettingChanged)
    Q_PROPERTY(QList<RememberedWirelessDevice> rememberedWireless READ rememberedWireless NOTIFY
                   rememberedWirelessChanged)
    Q_PROPERTY(std::optional<QString> wirelessMessage READ wirelessMessage NOTIFY wirelessMessageChanged)
    Q_PROPERTY(bool wirelessBusy READ wirelessBusy NOTIFY wirelessBusyChanged)
    Q_PROPERTY(std::optional<QString> wirelessPairingProblem READ wirelessPairingProblem NOTIFY
                   wirelessPairingProblemChanged)
    Q_PROPERTY(std::optional<CameraCapabilities> cameraCapabilities READ cameraCapabilities NOTIFY
                   cameraCapabilitiesChanged)
    Q_PROPERTY(std::optional<DesktopCapabilities> desktopCapabilities READ desktopCapabilities NOTIFY
                   desktopCapabilitiesChanged)
    Q_PROPERTY(bool desktopBusy READ desktopBusy NOTIFY desktopBusyChanged)
    Q_PROPERTY(bool desktopChanging READ desktopChanging NOTIFY desktopChangingChanged)
    Q_PROPERTY(std::optional<QString> desktopActivity READ desktopActivity NOTIFY desktopActivityChanged)
    Q_PROPERTY(QList<SavedProfile> profiles READ profiles NOTIFY profilesChanged)
    Q_PROPERTY(std::optional<QUuid> selectedProfileId READ selectedProfileId WRITE setSelectedProfileId NOTIFY
                   selectedProfileIdChanged)
    Q_PROPERTY(bool showOnboarding READ showOnboarding WRITE setShowOnboarding NOTIFY showOnboardingChanged)
    Q_PROPERTY(int onboardingStep READ onboardingStep WRITE setOnboardingStep NOTIFY onboardingStepChanged)
    Q_PROPERTY(QString onboardingVendor READ onboardingVendor WRITE setOnboardingVendor NOTIFY
                   onboardingVendorChanged)
    Q_PROPERTY(std::optional<Recommendation> mirrorRecommendation READ mirrorRecommendation NOTIFY
                   mirrorRecommendationChanged)
    Q_PROPERTY(bool probingCameras READ probingCameras NOTIFY probingCamerasChanged)
    Q_PROPERTY(
        std::optional<QString> fileTransferStatus READ fileTransferStatus NOTIFY fileTransferStatusChanged)
    Q_PROPERTY(std::optional<DeviceInfo> selectedDevice READ selectedDevice NOTIFY selectedDeviceChanged)
    Q_PROPERTY(bool runtimeHealthy READ runtimeHealthy NOTIFY runtimeHealthyChanged)
    Q_PROPERTY(bool desktopReady READ desktopReady NOTIFY desktopReadyChanged)
    Q_PROPERTY(bool canLaunch READ canLaunch NOTIFY canLaunchChanged)
    Q_PROPERTY(QString currentModeKey READ currentModeKey NOTIFY currentModeKeyChanged)
    Q_PROPERTY(std::optional<LaunchConfig> currentConfig READ currentConfig NOTIFY currentConfigChanged)
    Q_PROPERTY(bool pendingRestart READ pendingRestart NOTIFY pendingRestartChanged)
    Q_PROPERTY(QString launchButtonTitle READ launchButtonTitle NOTIFY launchButtonTitleChanged)
    Q_PROPERTY(QString desktopLaunchLabel READ desktopLaunchLabel NOTIFY desktopLaunchLabelChanged)
    Q_PROPERTY(QString customADBPath READ customADBPath WRITE setCustomADBPath NOTIFY customADBPathChanged)
    Q_PROPERTY(QString customScrcpyPath READ customScrcpyPath WRITE setCustomScrcpyPath NOTIFY
                   customScrcpyPathChanged)
    Q_PROPERTY(bool onboardingCompleted READ onboardingCompleted WRITE setOnboardingCompleted NOTIFY
                   onboardingCompletedChanged)
    Q_PROPERTY(QString mediaRootOverride READ mediaRootOverride WRITE setMediaRootOverride NOTIFY
                   mediaRootOverrideChanged)
    Q_PROPERTY(QString recordingsRootOverride READ recordingsRootOverride WRITE setRecordingsRootOverride
                   NOTIFY recordingsRootOverrideChanged)
    Q_PROPERTY(bool mirrorThroughXWayland READ mirrorThroughXWayland WRITE setMirrorThroughXWayland NOTIFY
                   mirrorThroughXWaylandChanged)
    Q_PROPERTY(bool showTrayIcon READ showTrayIcon WRITE setShowTrayIcon NOTIFY showTrayIconChanged)
    Q_PROPERTY(quorvane::app::MirrorPhoneSettings *mirrorState READ mirrorState CONSTANT)
    Q_PROPERTY(quorvane::app::CameraSettings *cameraState READ cameraState CONSTANT)
    Q_PROPERTY(quorvane::app::DesktopSettings *desktopState READ desktopState CONSTANT)

public:
    // platform may be null: then nothing is activated and shortcut keys cannot be sent.
    explicit AppModel(PlatformServices *platform, Timing timing = {}, QObject *parent = nullptr);
    ~AppModel() override;

    static constexpr int logsKeepAtLeast = 5000;

    // State and start-up.
    void start();
    void refreshRuntimeStatus();
    // Why a typed adb or scrcpy path cannot be used, as the user reads it; empty when it can, or when it
    // is blank (the search then decides).
    static QString toolPathProblem(const QString &typed);
    // Whether this copy carries its own adb and scrcpy, so that a blank path means that runtime.
    static bool runtimeBundled();
    // How a tool the runtime status names was reached, in the user's words.
    QString toolOrigin(const QString &path) const;
    QCoro::Task<void> refreshDevices();
    void refreshInspection();
    void refreshSessionPulse();
    void appendLog(const QString &text);
    void clearLog();
    static QString errorText(const std::exception &error);
    ToolPaths paths() const;
    SessionManager &sessionManager();
    const ADBService &adb();
    std::optional<QString> mediaRootOverrideURL() const;
    std::optional<QString> recordingsRootOverrideURL() const;
    // A phone's name as every screen, notification and Doctor row shows it (DeviceInfo::displayName): the
    // inspected model is not preferred, or the phone picked would read differently from the others.
    QString phoneName(const DeviceInfo &device) const { return device.displayName(); }
    // The desktop's words for keys, this computer and the accessibility facility, as the platform says.
    HostDesktop desktop() const;
    // What the remembered choices and the remembered selection of a phone are kept under.
    QString phoneKey(const QString &serial) const;
    // Where the events the user may have missed are told; none tells nothing. Not owned.
    void setNotifier(Notifier *notifier) { m_notifier = notifier; }

    // Launching, reconnecting and stopping.
    LaunchConfig liveConfig(const QString &modeKey) const;
    QCoro::Task<void> launchCurrentMode();
    QCoro::Task<bool> launch(LaunchConfig config);
    QCoro::Task<void> stopSession();
    QCoro::Task<void> stopAllSessions();
    void cancelReconnect();
    QCoro::Task<void> applyLive(QString setting, LaunchConfig config);
    static bool requiresRestart(const LaunchConfig &pending, const LaunchConfig &applied);
    // Builds on the inspection already shown for the selected phone; `Recompute` asks the phone again.
    enum class Inspection { Reuse, Fresh };
    QCoro::Task<void> recommend(QString mode, Inspection inspection = Inspection::Reuse);
    void apply(const Recommendation &recommendation, const QString &mode);
    QCoro::Task<void> resetToAuto();
    void saveProfile(const QString &name);
    void applyProfile(const QUuid &id);
    void deleteProfile(const QUuid &id);

    // Wireless, desktop, camera, media and doctor actions.
    QCoro::Task<void> connectWireless(QString address);
    QCoro::Task<void> pairWireless(QString address, QString code);
    QCoro::Task<void> forgetWireless(QString address);
    QCoro::Task<void> enableWirelessFromUSB(QString serial);
    QCoro::Task<void> switchToUSB(QString serial);
    QCoro::Task<void> reloadRememberedWireless();
    // Asks the adb in use whether it can pair at all, so the user learns it before typing a code.
    QCoro::Task<void> checkWirelessPairing();
    QCoro::Task<void> probeDesktop(QString serial);
    QCoro::Task<void> enableDesktop(QString serial, bool confirmed);
    QCoro::Task<void> restoreDesktop(QString serial);
    void openDesktopDiagnostics();
    QCoro::Task<void> probeCameras(QString serial);
    QCoro::Task<void> captureScreenshot(std::optional<quint32> displayId);
    QCoro::Task<void> captureDesktopScreenshot();
    void openMediaFolder();
    void openRecordingsFolder();
    // Sends the files to the selected phone's Download folder, one after another; see FilePushQueue.
    QCoro::Task<void> pushFiles(QStringList localPaths);
    QCoro::Task<void> runDoctor();

    // Onboarding.
    void updateOnboarding();
    void skipOnboarding();
    void openDoctorFromOnboarding();
    void showOnboardingAgain();

    SidebarMode selectedMode() const { return m_selectedMode; }
    const RuntimeStatus &runtime() const { return m_runtime; }
    const QList<DeviceInfo> &devices() const { return m_devices; }
    const QList<PhoneRow> &phones() const { return m_phones; }
    const std::optional<QString> &selectedSerial() const { return m_selectedSerial; }
    const std::optional<DeviceProfile> &deviceProfile() const { return m_deviceProfile; }
    bool sessionActive() const { return m_sessionActive; }
    const std::optional<QString> &sessionDevice() const { return m_sessionDevice; }
    const std::optional<LaunchConfig> &appliedConfig() const { return m_appliedConfig; }
    const std::optional<QString> &launchMessage() const { return m_launchMessage; }
    bool launchFailed() const { return m_launchFailed; }
    bool launching() const { return m_launching; }
    const std::optional<QString> &lastCommandPreview() const { return m_lastCommandPreview; }
    const QSet<QString> &activeSessionSerials() const { return m_activeSessionSerials; }
    bool reconnecting() const { return m_reconnecting; }
    int reconnectAttempt() const { return m_reconnectAttempt; }
    const QStringList &logLines() const { return m_logLines; }
    const QList<DoctorFinding> &doctorFindings() const { return m_doctorFindings; }
    bool doctorRunning() const { return m_doctorRunning; }
    bool refreshingDevices() const { return m_refreshingDevices; }
    bool capturingScreenshot() const { return m_capturingScreenshot; }
    bool resettingToAuto() const { return m_resettingToAuto; }
    bool applyingLiveSetting() const { return m_applyingLiveSetting; }
    const QList<RememberedWirelessDevice> &rememberedWireless() const { return m_rememberedWireless; }
    const std::optional<QString> &wirelessMessage() const { return m_wirelessMessage; }
    bool wirelessBusy() const { return m_wirelessBusy; }
    const std::optional<QString> &wirelessPairingProblem() const { return m_wirelessPairingProblem; }
    const std::optional<CameraCapabilities> &cameraCapabilities() const { return m_cameraCapabilities; }
    const std::optional<DesktopCapabilities> &desktopCapabilities() const { return m_desktopCapabilities; }
    bool desktopBusy() const { return m_desktopBusy; }
    // Desktop settings are being enabled or restored, which reboots the phone; the activity says which
    // step runs, in the user's words.
    bool desktopChanging() const { return m_desktopChanging; }
    const std::optional<QString> &desktopActivity() const { return m_desktopActivity; }
    const QList<SavedProfile> &profiles() const { return m_profiles; }
    const std::optional<QUuid> &selectedProfileId() const { return m_selectedProfileId; }
    bool showOnboarding() const { return m_showOnboarding; }
    int onboardingStep() const { return m_onboardingStep; }
    const QString &onboardingVendor() const { return m_onboardingVendor; }
    const std::optional<Recommendation> &mirrorRecommendation() const { return m_mirrorRecommendation; }
    bool probingCameras() const { return m_probingCameras; }
    const std::optional<QString> &fileTransferStatus() const { return m_fileTransferStatus; }
    // How each status line's current message reads: under way, done, or failed.
    MessageTone launchMessageTone() const { return m_launchMessageTone; }
    MessageTone wirelessMessageTone() const { return m_wirelessMessageTone; }
    MessageTone fileTransferTone() const { return m_fileTransferTone; }
    const std::optional<DeviceInfo> &selectedDevice() const { return m_selectedDevice; }
    // Whether the selected phone can take commands now (adb lists it as "device"); follows
    // selectedDeviceChanged.
    bool phoneReady() const { return m_selectedDevice && m_selectedDevice->state == QLatin1String("device"); }
    bool runtimeHealthy() const { return m_runtimeHealthy; }
    bool desktopReady() const { return m_desktopReady; }
    bool canLaunch() const { return m_canLaunch; }
    const QString &currentModeKey() const { return m_currentModeKey; }
    const std::optional<LaunchConfig> &currentConfig() const { return m_currentConfig; }
    bool pendingRestart() const { return m_pendingRestart; }
    const QString &launchButtonTitle() const { return m_launchButtonTitle; }
    const QString &desktopLaunchLabel() const { return m_desktopLaunchLabel; }
    MirrorPhoneSettings *mirrorState() const { return m_mirrorState; }
    FilePushQueue *filePushes() const { return m_filePushes; }
    CameraSettings *cameraState() const { return m_cameraState; }
    DesktopSettings *desktopState() const { return m_desktopState; }
    QString customADBPath() const;
    QString customScrcpyPath() const;
    bool onboardingCompleted() const;
    QString mediaRootOverride() const;
    QString recordingsRootOverride() const;
    bool mirrorThroughXWayland() const;
    // The tray icon, where the desktop has a tray; on unless the user turned it off.
    bool showTrayIcon() const;

    void setSelectedMode(SidebarMode value);
    void setSelectedSerial(std::optional<QString> value);
    void setSelectedProfileId(std::optional<QUuid> value);
    void setShowOnboarding(bool value);
    void setOnboardingStep(int value);
    void setOnboardingVendor(QString value);
    void setCustomADBPath(const QString &value);
    void setCustomScrcpyPath(const QString &value);
    void setOnboardingCompleted(bool value);
    void setMediaRootOverride(const QString &value);
    void setRecordingsRootOverride(const QString &value);
    void setMirrorThroughXWayland(bool value);
    void setShowTrayIcon(bool value);
    // What scrcpy sessions get added to their environment: on request, an X11 window that XWayland shows.
    Environment windowEnvironment() const;
    // Whether keys can reach a mirror window at all: on Wayland only an X11 window takes them.
    bool shortcutsReachWindows() const;

signals:
    // The first thing start() does: the application's lifecycle takes hold of the model here, so that
    // quitting can stop its sessions.
    void started();

    void selectedModeChanged();
    void runtimeChanged();
    void devicesChanged();
    void selectedSerialChanged();
    void phonesChanged();
    void deviceProfileChanged();
    void sessionActiveChanged();
    void sessionDeviceChanged();
    void appliedConfigChanged();
    void launchMessageChanged();
    void launchFailedChanged();
    void launchingChanged();
    void lastCommandPreviewChanged();
    void activeSessionSerialsChanged();
    void reconnectingChanged();
    void reconnectAttemptChanged();
    void logLinesChanged();
    // The one line appendLog() added, announced before logLinesChanged() so a view can append it alone.
    void logLineAppended(const QString &line);
    void doctorFindingsChanged();
    void doctorRunningChanged();
    void refreshingDevicesChanged();
    void capturingScreenshotChanged();
    void resettingToAutoChanged();
    void applyingLiveSettingChanged();
    void rememberedWirelessChanged();
    void wirelessMessageChanged();
    void wirelessBusyChanged();
    void wirelessPairingProblemChanged();
    void cameraCapabilitiesChanged();
    void desktopCapabilitiesChanged();
    void desktopBusyChanged();
    void desktopChangingChanged();
    void desktopActivityChanged();
    void profilesChanged();
    void selectedProfileIdChanged();
    void showOnboardingChanged();
    void onboardingStepChanged();
    void onboardingVendorChanged();
    void mirrorRecommendationChanged();
    void probingCamerasChanged();
    void fileTransferStatusChanged();
    void launchMessageToneChanged();
    void wirelessMessageToneChanged();
    void fileTransferToneChanged();
    void selectedDeviceChanged();
    void runtimeHealthyChanged();
    void desktopReadyChanged();
    void canLaunchChanged();
    void currentModeKeyChanged();
    void currentConfigChanged();
    void pendingRestartChanged();
    void launchButtonTitleChanged();
    void desktopLaunchLabelChanged();
    void customADBPathChanged();
    void customScrcpyPathChanged();
    void onboardingCompletedChanged();
    void mediaRootOverrideChanged();
    void recordingsRootOverrideChanged();
    void mirrorThroughXWaylandChanged();
    void showTrayIconChanged();

private:
    template<typename T>
    void publish(T &field, T value, void (AppModel::*changed)());
    template<typename T>
    void publishDerived(T &field, T value, void (AppModel::*changed)());
    void updateDerived();
    QString modeWord() const;
    QString computeLaunchButtonTitle() const;
    QString computeDesktopLaunchLabel() const;
    void reportLaunch(std::optional<QString> message, bool failed);
    void reportLaunch(std::optional<QString> message, MessageTone tone);
    void logFailure(const std::optional<QString> &message, MessageTone tone);
    // Keeps the finding of a known adb or scrcpy line in a failure shown to the user, for the Doctor.
    void noteFailure(const QString &text);

    void applySelectionRules(const QList<DeviceInfo> &previous, const QList<DeviceInfo> &list);
    std::optional<QString> rememberedPhoneIn(const QList<DeviceInfo> &list) const;
    void select(std::optional<QString> serial);
    ModeSettings *settingsFor(SidebarMode mode) const;
    void notify(const QString &title, const QString &message);
    QString deviceName(const QString &serial) const;
    void notifyFinishedRecordings(const QSet<QString> &running);
    QCoro::Task<void> updatePhones(QList<DeviceInfo> list);
    QCoro::Task<void> moveSession(QString from, QString to);
    bool mirrorsOver(const QString &serial);
    QCoro::Task<std::optional<QString>> findMovedPhone(QString serial);
    QCoro::Task<void> probeRuntime();
    QCoro::Task<void> showOnboardingAfterDelay();
    QCoro::Task<void> monitor();
    QCoro::Task<void> inspect(QString serial);
    QCoro::Task<void> putBackLeftoverSettings(QString serial);
    QCoro::Task<bool> startSession(LaunchConfig config);
    void attemptReconnect(LaunchConfig config);
    QCoro::Task<void> reconnectLoop(LaunchConfig config, std::shared_ptr<Sleeper::Cancellation> cancellation);
    enum class ReconnectEnd { Succeeded, GaveUp, Cancelled, PhoneGone, OtherPhone };
    void endReconnect(const Sleeper::Cancellation &cancellation, ReconnectEnd end);
    QCoro::Task<void> stopSessions(std::optional<QString> serial, QString message, QString restoredMessage);
    void resetModeSettings();
    void resetCameraSettings();
    void saveProfiles();
    MediaService mediaService() const;
    QCoro::Task<void> takeScreenshot(std::optional<quint32> displayId, bool desktop);
    void openFolder(bool recordings);
    QCoro::Task<void> changeDesktop(QString serial, bool enable);
    void showDesktopActivity(std::optional<QString> activity);
    DesktopService desktopService();
    template<typename Probe>
    QCoro::Task<void> runProbe(Probe probe);
    void reportWireless(std::optional<QString> message, MessageTone tone);
    void reportFileTransfer(const QString &message, MessageTone tone);
    QCoro::Task<bool> publishRemembered(WirelessService wireless);

    PlatformServices *m_platform;
    Notifier *m_notifier = nullptr;
    Timing m_timing;
    // Coroutines still suspended when the model goes away see false here and end without touching it.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    Sleeper m_sleeper{this};
    std::unique_ptr<SessionManager> m_sessionManager;
    std::optional<ADBService> m_adb;
    MirrorPhoneSettings *m_mirrorState;
    CameraSettings *m_cameraState;
    DesktopSettings *m_desktopState;
    RememberedChoices *m_choices;
    FilePushQueue *m_filePushes;

    std::shared_ptr<Sleeper::Cancellation> m_reconnect;
    bool m_userStoppedSession = false;
    std::optional<LaunchConfig> m_lastLaunchConfig;
    // The file each recording session writes, by serial, until the session is gone.
    QHash<QString, QString> m_recordings;
    // The session manager starts one launch at a time (it keeps a single pending launch record).
    bool m_launchInProgress = false;

    SidebarMode m_selectedMode = SidebarMode::Mirror;
    RuntimeStatus m_runtime;
    QList<DeviceInfo> m_devices;
    PhoneDirectory m_phoneDirectory;
    QList<PhoneRow> m_phones;
    std::optional<QString> m_selectedSerial;
    std::optional<DeviceProfile> m_deviceProfile;
    bool m_sessionActive = false;
    std::optional<QString> m_sessionDevice;
    std::optional<LaunchConfig> m_appliedConfig;
    std::optional<QString> m_launchMessage;
    bool m_launchFailed = false;
    MessageTone m_launchMessageTone = MessageTone::Success;
    bool m_launching = false;
    std::optional<QString> m_lastCommandPreview;
    QSet<QString> m_activeSessionSerials;
    bool m_reconnecting = false;
    int m_reconnectAttempt = 0;
    QStringList m_logLines;
    QList<DoctorFinding> m_doctorFindings;
    QList<DoctorFinding> m_failureFindings; // the latest last
    bool m_doctorRunning = false;
    bool m_refreshingDevices = false;
    bool m_capturingScreenshot = false;
    bool m_resettingToAuto = false;
    bool m_applyingLiveSetting = false;
    QList<RememberedWirelessDevice> m_rememberedWireless;
    std::optional<QString> m_wirelessMessage;
    MessageTone m_wirelessMessageTone = MessageTone::Success;
    bool m_wirelessBusy = false;
    std::optional<QString> m_wirelessPairingProblem;
    // The last address paired with and not yet followed by a successful connect.
    std::optional<QString> m_pairedAddress;
    std::optional<CameraCapabilities> m_cameraCapabilities;
    std::optional<DesktopCapabilities> m_desktopCapabilities;
    bool m_desktopBusy = false;
    bool m_desktopChanging = false;
    std::optional<QString> m_desktopActivity;
    QList<SavedProfile> m_profiles;
    std::optional<QUuid> m_selectedProfileId;
    bool m_showOnboarding = false;
    int m_onboardingStep = 1;
    QString m_onboardingVendor = QStringLiteral("Pixel");
    std::optional<Recommendation> m_mirrorRecommendation;
    bool m_probingCameras = false;
    std::optional<QString> m_fileTransferStatus;
    MessageTone m_fileTransferTone = MessageTone::Success;
    std::optional<DeviceInfo> m_selectedDevice;
    bool m_runtimeHealthy = false;
    bool m_desktopReady = true;
    bool m_canLaunch = false;
    QString m_currentModeKey = QStringLiteral("mirror");
    std::optional<LaunchConfig> m_currentConfig;
    bool m_pendingRestart = false;
    QString m_launchButtonTitle = QStringLiteral("Mirror Phone");
    QString m_desktopLaunchLabel = QStringLiteral("Launch Desktop");
};

template<typename T>
void AppModel::publish(T &field, T value, void (AppModel::*changed)())
{
    if (field == value)
        return;
    field = std::move(value);
    emit(this->*changed)();
    updateDerived();
}

// For the values derived from the others: no second derivation round.
template<typename T>
void AppModel::publishDerived(T &field, T value, void (AppModel::*changed)())
{
    if (field == value)
        return;
    field = std::move(value);
    emit(this->*changed)();
}

} // namespace quorvane::app
