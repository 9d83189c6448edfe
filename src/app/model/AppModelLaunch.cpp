// AppModel: launching, reconnecting, stopping, live settings, recommendations and presets.
#include "AppModel.h"

#include "Errors.h"
#include "ProfileStore.h"
#include "SavedProfileStore.h"
#include "WirelessService.h"

#include <algorithm>

namespace quorvane::app {

namespace {

const QString reconnectFailed = QStringLiteral("Reconnect failed after 5 attempts.");
const QString launchBusy = QStringLiteral("A launch is already in progress; this request was ignored.");

// Fields a running session can change without a restart are neutralised before comparing.
LaunchConfig withoutLiveFields(LaunchConfig config, const QString &mode)
{
    config.fullscreen = false;
    if (mode == QLatin1String("camera")) {
        config.cameraTorch = false;
    } else if (mode != QLatin1String("desktop")) {
        config.stayAwake = false;
        config.turnScreenOff = false;
        config.showTouches = false;
    }
    return config;
}

} // namespace

LaunchConfig AppModel::liveConfig(const QString &modeKey) const
{
    const QString serial = m_selectedSerial.value_or(QString());
    if (modeKey == QLatin1String("camera"))
        return m_cameraState->launchConfig(serial);
    if (modeKey == QLatin1String("desktop"))
        return m_desktopState->launchConfig(serial, m_desktopCapabilities);
    return m_mirrorState->launchConfig(serial, modeKey);
}

QCoro::Task<void> AppModel::launchCurrentMode()
{
    const auto alive = m_alive;
    // One launch at a time: a second request (a double press, the menu during a user launch, a user launch
    // during a reconnect attempt) is refused rather than queued, so nothing starts later behind the
    // user's back; the launch under way reports for itself.
    if (m_launchInProgress) {
        appendLog(launchBusy);
        co_return;
    }
    const std::optional<LaunchConfig> config = m_currentConfig;
    if (!config) {
        reportLaunch(QStringLiteral("Select an authorized device first."), true);
        co_return;
    }
    // The user's own launch brings the session back, so a reconnect loop still waiting has nothing left
    // to do; left running it would restart the new session with the old settings.
    if (m_reconnect) {
        m_sleeper.cancel(m_reconnect, true);
        m_reconnect.reset();
        publish(m_reconnecting, false, &AppModel::reconnectingChanged);
        publish(m_reconnectAttempt, 0, &AppModel::reconnectAttemptChanged);
    }
    publish(m_launching, true, &AppModel::launchingChanged);
    reportLaunch(QStringLiteral("Starting a smart session…"), MessageTone::Progress);
    QCoro::Task<bool> launched = launch(*config);
    co_await std::move(launched);
    if (!*alive)
        co_return;
    publish(m_launching, false, &AppModel::launchingChanged);
}

QCoro::Task<bool> AppModel::launch(LaunchConfig config)
{
    if (m_launchInProgress) {
        appendLog(launchBusy);
        co_return false;
    }
    m_launchInProgress = true;
    m_userStoppedSession = false;
    m_lastLaunchConfig = config;
    QCoro::Task<bool> started = startSession(config);
    const bool result = co_await std::move(started);
    co_return result;
}

QCoro::Task<bool> AppModel::startSession(LaunchConfig config)
{
    const auto alive = m_alive;
    const MediaService media = mediaService();
    std::optional<LaunchResult> result;
    QString failure;
    try {
        sessionManager().setWindowEnvironment(windowEnvironment());
        QCoro::Task<LaunchResult> launching = sessionManager().launch(config, media);
        result = co_await std::move(launching);
    } catch (const std::exception &error) {
        failure = errorText(error);
    }
    if (!*alive)
        co_return false;
    if (result && m_userStoppedSession) {
        // Stop was pressed while this session was still starting: it must not outlive that request.
        QCoro::Task<bool> stopping = sessionManager().stop(config.serial);
        co_await std::move(stopping);
        if (!*alive)
            co_return false;
        result.reset();
    } else if (result) {
        publish(m_lastCommandPreview, std::optional(result->commandPreview),
                &AppModel::lastCommandPreviewChanged);
        if (result->started && result->recordingPath)
            m_recordings.insert(config.serial, *result->recordingPath);
        if (result->fallbackUsed)
            appendLog(QStringLiteral("Recovered with a safer profile on attempt %1.").arg(result->attempts));
        // The starting message must give way to what actually happened, for user launches and
        // reconnects alike.
        if (result->started)
            reportLaunch(result->message, MessageTone::Success);
        else
            reportLaunch(m_launchMessage, MessageTone::Failure);
    } else if (!m_userStoppedSession) {
        reportLaunch(failure, true);
    }
    m_launchInProgress = false;
    refreshSessionPulse();
    co_return result.has_value();
}

void AppModel::attemptReconnect(LaunchConfig config)
{
    if (m_userStoppedSession)
        return;
    if (m_reconnect)
        m_sleeper.cancel(m_reconnect, true);
    m_reconnect = std::make_shared<Sleeper::Cancellation>();
    reconnectLoop(std::move(config), m_reconnect);
}

QCoro::Task<void> AppModel::reconnectLoop(LaunchConfig config,
                                          std::shared_ptr<Sleeper::Cancellation> cancellation)
{
    const auto alive = m_alive;
    publish(m_reconnecting, true, &AppModel::reconnectingChanged);
    ReconnectEnd end = ReconnectEnd::GaveUp;
    const int attempts = static_cast<int>(m_timing.reconnectWaits.size());
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        publish(m_reconnectAttempt, attempt, &AppModel::reconnectAttemptChanged);
        QCoro::Task<void> wait = m_sleeper.sleep(m_timing.reconnectWaits.at(attempt - 1), cancellation);
        co_await std::move(wait);
        if (!*alive)
            co_return;
        if (cancellation->cancelled) {
            end = ReconnectEnd::Cancelled;
            break;
        }
        QCoro::Task<void> refresh = refreshDevices();
        co_await std::move(refresh);
        if (!*alive)
            co_return;
        QCoro::Task<std::optional<QString>> finding = findMovedPhone(config.serial);
        const std::optional<QString> moved = co_await std::move(finding);
        if (!*alive)
            co_return;
        // The phone's old transport left the list, which let go of the selection (or, once adb connected it
        // again, took the new one); a phone the user picked meanwhile keeps it.
        const bool follow =
            moved && (!m_selectedSerial || m_selectedSerial == config.serial || m_selectedSerial == *moved);
        if (follow && !cancellation->cancelled) {
            QCoro::Task<void> relisting = refreshDevices();
            co_await std::move(relisting);
            if (!*alive)
                co_return;
            config.serial = *moved;
            setSelectedSerial(*moved);
        }
        // Checked again: a launch by the user meanwhile must not be replaced by this one.
        if (cancellation->cancelled) {
            end = ReconnectEnd::Cancelled;
            break;
        }
        const bool listed =
            std::any_of(m_devices.cbegin(), m_devices.cend(),
                        [&config](const DeviceInfo &device) { return device.serial == config.serial; });
        if (!listed) {
            end = ReconnectEnd::PhoneGone;
            break;
        }
        if (m_selectedSerial != config.serial) {
            end = ReconnectEnd::OtherPhone;
            break;
        }
        QCoro::Task<bool> launching = launch(config);
        const bool succeeded = co_await std::move(launching);
        if (!*alive)
            co_return;
        if (succeeded) {
            end = ReconnectEnd::Succeeded;
            break;
        }
    }
    endReconnect(*cancellation, end);
}

// Wireless debugging listens on a new port each time it is switched on: a remembered Wi-Fi phone that left
// the list is looked for where it announces itself now. The new address, when it moved.
QCoro::Task<std::optional<QString>> AppModel::findMovedPhone(QString serial)
{
    const WirelessStoreFile store = WirelessStoreFile::read();
    const SavedWirelessDevice *saved = store.find(serial);
    // adb may keep a dropped wireless connection listed as offline for a while: only a ready one is in use.
    const bool inUse = std::any_of(m_devices.cbegin(), m_devices.cend(), [&serial](const DeviceInfo &device) {
        return device.serial == serial && device.isReady();
    });
    if (!saved || !saved->hardwareSerial || inUse)
        co_return std::nullopt;
    const QString phone = *saved->hardwareSerial;
    const WirelessService wireless{paths(), m_timing};
    try {
        QCoro::Task<QString> connecting = wireless.connectDevice(serial);
        co_await std::move(connecting);
    } catch (const std::exception &) {
        co_return std::nullopt;
    }
    for (const SavedWirelessDevice &device : WirelessStoreFile::read().devices) {
        if (device.hardwareSerial == phone && device.address != serial)
            co_return device.address;
    }
    co_return std::nullopt;
}

void AppModel::endReconnect(const Sleeper::Cancellation &cancellation, ReconnectEnd end)
{
    // Whoever cancelled quietly (a stop, a user launch, a newer loop) has already set the state.
    if (cancellation.quiet)
        return;
    if (m_reconnect.get() == &cancellation)
        m_reconnect.reset();
    publish(m_reconnecting, false, &AppModel::reconnectingChanged);
    publish(m_reconnectAttempt, 0, &AppModel::reconnectAttemptChanged);
    // Only giving up after every attempt is a failed reconnect; the user's cancel and another phone picked
    // meanwhile are no news, and a phone that left is said to have left.
    if (end == ReconnectEnd::GaveUp) {
        reportLaunch(reconnectFailed, true);
        notify(QStringLiteral("Reconnect failed"), reconnectFailed);
    } else if (end == ReconnectEnd::PhoneGone) {
        const QString gone = QStringLiteral("Selected device is no longer connected.");
        reportLaunch(gone, true);
        notify(QStringLiteral("Reconnect failed"), gone);
    } else if (end != ReconnectEnd::Succeeded) {
        reportLaunch(std::nullopt, MessageTone::Success);
    }
}

void AppModel::cancelReconnect()
{
    if (m_reconnect) {
        m_sleeper.cancel(m_reconnect, false);
        m_reconnect.reset();
    }
    publish(m_reconnecting, false, &AppModel::reconnectingChanged);
    publish(m_reconnectAttempt, 0, &AppModel::reconnectAttemptChanged);
}

QCoro::Task<void> AppModel::stopSession()
{
    // Stop ends the session the bar shows: with another phone picked meanwhile, stopping only the picked
    // one would report a stop while the mirror kept running. While a session is still starting, the bar
    // shows that launch.
    std::optional<QString> serial = m_selectedSerial;
    if (serial && !sessionManager().runningSerials().contains(*serial)) {
        if (m_launchInProgress && m_lastLaunchConfig)
            serial = m_lastLaunchConfig->serial;
        else if (m_sessionDevice)
            serial = m_sessionDevice;
    }
    QCoro::Task<void> stopping = stopSessions(serial, QStringLiteral("Session stopped."),
                                              QStringLiteral("Session stopped; Android settings restored."));
    co_await std::move(stopping);
}

QCoro::Task<void> AppModel::stopAllSessions()
{
    const QString message = QStringLiteral("All sessions stopped.");
    QCoro::Task<void> stopping = stopSessions(std::nullopt, message, message);
    co_await std::move(stopping);
}

// Settings are said to be restored only when the stop really put some back.
QCoro::Task<void> AppModel::stopSessions(std::optional<QString> serial, QString message,
                                         QString restoredMessage)
{
    const auto alive = m_alive;
    m_userStoppedSession = true;
    if (m_reconnect) {
        m_sleeper.cancel(m_reconnect, true);
        m_reconnect.reset();
    }
    publish(m_reconnecting, false, &AppModel::reconnectingChanged);
    publish(m_reconnectAttempt, 0, &AppModel::reconnectAttemptChanged);
    SessionManager &manager = sessionManager();
    QCoro::Task<bool> stopping = serial ? manager.stop(*serial) : manager.stopAll();
    const bool restored = co_await std::move(stopping);
    if (!*alive)
        co_return;
    reportLaunch(restored ? restoredMessage : message, false);
    refreshSessionPulse();
}

QCoro::Task<void> AppModel::applyLive(QString setting, LaunchConfig config)
{
    const auto alive = m_alive;
    publish(m_applyingLiveSetting, true, &AppModel::applyingLiveSettingChanged);
    SessionManager::KeySender sendKey;
    // Without a way to the window, the session manager explains in the desktop's words why.
    if (PlatformServices *platform = m_platform; platform && shortcutsReachWindows())
        sendKey = [platform](QString key) { return platform->sendShortcut(std::move(key)); };
    std::optional<QString> failure;
    try {
        QCoro::Task<void> applying = sessionManager().applyLiveSetting(setting, config, sendKey);
        co_await std::move(applying);
    } catch (const std::exception &error) {
        failure = errorText(error);
    }
    if (!*alive)
        co_return;
    if (failure)
        reportLaunch(failure, true);
    refreshSessionPulse();
    publish(m_applyingLiveSetting, false, &AppModel::applyingLiveSettingChanged);
}

bool AppModel::requiresRestart(const LaunchConfig &pending, const LaunchConfig &applied)
{
    return withoutLiveFields(pending, pending.mode) != withoutLiveFields(applied, pending.mode);
}

QCoro::Task<void> AppModel::recommend(QString mode, Inspection inspection)
{
    const auto alive = m_alive;
    if (!m_selectedSerial)
        co_return;
    const QString serial = *m_selectedSerial;
    // The selection has just inspected the phone; asking it again would double the adb calls of every
    // phone that appears. A failed or older inspection is not reused, so its failure is told here.
    std::optional<DeviceProfile> profile;
    if (inspection == Inspection::Reuse && m_deviceProfile && m_deviceProfile->serial == serial)
        profile = m_deviceProfile;
    std::optional<QString> failure;
    try {
        if (!profile) {
            const ADBService service = adb();
            QCoro::Task<DeviceProfile> inspecting = service.inspectDevice(serial);
            profile = co_await std::move(inspecting);
        }
    } catch (const ScrcpyError &error) {
        failure = error.text();
    } catch (const std::exception &) {
    }
    // A phone picked meanwhile has its own settings: the answer about the previous one must not land on them.
    if (!*alive || m_selectedSerial != serial)
        co_return;
    if (!profile) {
        reportLaunch(failure, true);
        co_return;
    }
    const PhoneIdentity phone(serial, profile->hardwareSerial);
    // The first time a phone is seen since its stores were keyed by address, they learn who it is.
    ProfileStore{}.adopt(phone);
    WirelessService::adopt(phone);
    const std::optional<LearnedProfile> learned = ProfileStore{}.load(phone, mode);
    const Recommendation recommendation = ADBService::recommendation(*profile, mode, learned);
    apply(recommendation, mode);
    publish(m_mirrorRecommendation, std::optional(recommendation), &AppModel::mirrorRecommendationChanged);
}

void AppModel::apply(const Recommendation &recommendation, const QString &mode)
{
    if (mode == QLatin1String("mirror") || mode == QLatin1String("creator"))
        m_mirrorState->apply(recommendation);
    else if (mode == QLatin1String("camera"))
        m_cameraState->apply(recommendation);
    else if (mode == QLatin1String("desktop")) {
        const ModeSettings::AutomaticFill fill(m_desktopState);
        m_desktopState->setMaxFps(recommendation.maxFps);
    }
}

QCoro::Task<void> AppModel::resetToAuto()
{
    const auto alive = m_alive;
    publish(m_resettingToAuto, true, &AppModel::resettingToAutoChanged);
    if (!m_selectedSerial) {
        publish(m_resettingToAuto, false, &AppModel::resettingToAutoChanged);
        co_return;
    }
    const QString mode = m_currentModeKey;
    QCoro::Task<void> recommending = recommend(mode);
    co_await std::move(recommending);
    if (!*alive)
        co_return;
    // The user's choices yielded to nothing so far; here they give way to the automatic profile.
    m_choices->forgetWhile(settingsFor(m_selectedMode), [this, &mode] {
        if (m_mirrorRecommendation && m_mirrorRecommendation->mode == mode)
            apply(*m_mirrorRecommendation, mode);
        resetModeSettings();
    });
    reportLaunch(modeWord() + QStringLiteral(" settings restored to the automatic profile."), false);
    publish(m_resettingToAuto, false, &AppModel::resettingToAutoChanged);
}

void AppModel::resetModeSettings()
{
    if (m_selectedMode == SidebarMode::Desktop) {
        if (m_desktopCapabilities)
            m_desktopState->applyCapabilities(*m_desktopCapabilities);
        m_desktopState->setFlex(false);
        m_desktopState->setNoDecorations(false);
        m_desktopState->setKeepContent(false);
        m_desktopState->setStartApp(QString());
        m_desktopState->setAudio(false);
        m_desktopState->setFullscreen(false);
    } else if (m_selectedMode == SidebarMode::Camera) {
        resetCameraSettings();
    } else {
        m_mirrorState->setVideoBitRate(8.0);
        m_mirrorState->setVideoEncoder(QString());
        m_mirrorState->setFullscreen(false);
        m_mirrorState->setCaptureOrientation(std::nullopt);
        m_mirrorState->setCrop(QString());
    }
}

void AppModel::resetCameraSettings()
{
    if (m_cameraCapabilities && m_cameraCapabilities->recommendedCameraId) {
        const QList<CameraInfo> &cameras = m_cameraCapabilities->cameras;
        const QString &id = *m_cameraCapabilities->recommendedCameraId;
        const auto camera = std::find_if(cameras.cbegin(), cameras.cend(),
                                         [&id](const CameraInfo &info) { return info.cameraId == id; });
        if (camera != cameras.cend()) {
            static const QStringList facings{QStringLiteral("front"), QStringLiteral("back"),
                                             QStringLiteral("external")};
            m_cameraState->setCameraId(id);
            m_cameraState->setCameraFacing(facings.contains(camera->facing) ? camera->facing
                                                                            : QStringLiteral("back"));
            m_cameraState->setUseExplicitCameraID(false);
        }
    }
    m_cameraState->setUseZoom(false);
    m_cameraState->setZoom(1.0);
    m_cameraState->setTorch(false);
    m_cameraState->setCameraSize(QString());
    m_cameraState->setAspectRatio(QStringLiteral("auto"));
    m_cameraState->setHighSpeed(false);
    m_cameraState->setVideoBitRate(8.0);
    m_cameraState->setCodec(QStringLiteral("h264"));
    m_cameraState->setCaptureOrientation(std::nullopt);
}

void AppModel::saveProfile(const QString &name)
{
    SavedProfile profile;
    profile.id = QUuid::createUuid();
    profile.name = name;
    profile.mode = m_currentModeKey;
    profile.maxSize = m_mirrorState->maxSize();
    profile.maxFps = m_mirrorState->maxFps();
    profile.codec = m_mirrorState->codec();
    profile.bitrate = SavedProfile::bitrateText(m_mirrorState->videoBitRate());
    profile.audio = m_mirrorState->audio();
    QList<SavedProfile> profiles = m_profiles;
    profiles.append(profile);
    publish(m_profiles, std::move(profiles), &AppModel::profilesChanged);
    saveProfiles();
}

// The preset's mode is not applied: a preset carries video settings only.
void AppModel::applyProfile(const QUuid &id)
{
    const auto it = std::find_if(m_profiles.cbegin(), m_profiles.cend(),
                                 [&id](const SavedProfile &profile) { return profile.id == id; });
    if (it == m_profiles.cend())
        return;
    m_mirrorState->setMaxSize(it->maxSize);
    m_mirrorState->setMaxFps(it->maxFps);
    m_mirrorState->setCodec(it->codec);
    bool isNumber = false;
    const double bitRate = it->bitrate.toDouble(&isNumber);
    if (isNumber)
        m_mirrorState->setVideoBitRate(bitRate);
    m_mirrorState->setAudio(it->audio);
}

void AppModel::deleteProfile(const QUuid &id)
{
    QList<SavedProfile> profiles = m_profiles;
    profiles.removeIf([&id](const SavedProfile &profile) { return profile.id == id; });
    publish(m_profiles, std::move(profiles), &AppModel::profilesChanged);
    saveProfiles();
}

// The list on screen is already changed; a store that cannot be written costs only persistence.
void AppModel::saveProfiles()
{
    try {
        SavedProfileStore{}.save(m_profiles);
    } catch (const std::exception &) {
    }
}

} // namespace quorvane::app
