#include "AppModel.h"

#include "UserDefaults.h"

#include "ErrorCatalog.h"
#include "Errors.h"
#include "JsonFile.h"
#include "RuntimeLocator.h"
#include "SavedProfileStore.h"
#include "SettingsJournal.h"

#include <QDir>
#include <QPointer>

#include <algorithm>

namespace quorvane::app {

namespace {

// Only the empty text means "no override"; anything else is handed on as typed.
std::optional<QString> unlessEmpty(const QString &text)
{
    return text.isEmpty() ? std::nullopt : std::optional(text);
}

std::optional<QString> expandedFolder(const QString &setting)
{
    if (setting.isEmpty())
        return std::nullopt;
    if (setting.startsWith(QLatin1Char('~')))
        return QDir::homePath() + setting.mid(1);
    return setting;
}

bool anyInState(const QList<DeviceInfo> &devices, const QString &state)
{
    return std::any_of(devices.cbegin(), devices.cend(),
                       [&state](const DeviceInfo &device) { return device.state == state; });
}

bool ready(const QList<DeviceInfo> &devices, const QString &serial)
{
    return std::any_of(devices.cbegin(), devices.cend(), [&serial](const DeviceInfo &device) {
        return device.serial == serial && device.isReady();
    });
}

} // namespace

AppModel::AppModel(PlatformServices *platform, Timing timing, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_timing(std::move(timing))
    , m_mirrorState(new MirrorPhoneSettings(this))
    , m_cameraState(new CameraSettings(this))
    , m_desktopState(new DesktopSettings(this))
    , m_choices(new RememberedChoices(this))
    , m_filePushes(new FilePushQueue(
          [this](const QString &message, MessageTone tone) { reportFileTransfer(message, tone); },
          [this](const QString &title, const QString &message) { notify(title, message); }, this))
{
    m_choices->track(m_mirrorState, QStringLiteral("mirror"));
    m_choices->track(m_cameraState, QStringLiteral("camera"));
    m_choices->track(m_desktopState, QStringLiteral("desktop"));
    m_selectedMode =
        sidebarModeFromTitle(UserDefaults::text(UserDefaults::selectedModeKey)).value_or(m_selectedMode);
    for (ModeSettings *settings :
         std::initializer_list<ModeSettings *>{m_mirrorState, m_cameraState, m_desktopState})
        connect(settings, &ModeSettings::changed, this, &AppModel::updateDerived);
    updateDerived();
    // A store file kept aside because it could not be read is told once, in the log and the session bar;
    // the store may be written from any action, so the telling waits for the main context.
    const QPointer<AppModel> self(this);
    JsonFile::setNoticeHook([self](const QString &sentence) {
        if (!self)
            return;
        QMetaObject::invokeMethod(self, [self, sentence] {
            if (!self)
                return;
            self->appendLog(sentence);
            self->reportLaunch(sentence, true);
        });
    });
}

// Waits still pending end now, and the coroutines behind them see that the model is gone.
AppModel::~AppModel()
{
    *m_alive = false;
    m_sleeper.wakeAll();
}

void AppModel::start()
{
    emit started();
    refreshRuntimeStatus();
    publish(m_profiles, SavedProfileStore{}.load(), &AppModel::profilesChanged);
    showOnboardingAfterDelay();
    monitor();
    reloadRememberedWireless();
}

void AppModel::refreshRuntimeStatus()
{
    probeRuntime();
}

QCoro::Task<void> AppModel::probeRuntime()
{
    const auto alive = m_alive;
    const RuntimeLocator locator{unlessEmpty(customADBPath()), unlessEmpty(customScrcpyPath())};
    QCoro::Task<RuntimeStatus> probe = locator.probeStatus();
    RuntimeStatus status = co_await std::move(probe);
    if (!*alive)
        co_return;
    publish(m_runtime, std::move(status), &AppModel::runtimeChanged);
}

QCoro::Task<void> AppModel::showOnboardingAfterDelay()
{
    const auto alive = m_alive;
    QCoro::Task<void> delay = m_sleeper.sleep(m_timing.onboardingDelay);
    co_await std::move(delay);
    if (!*alive || onboardingCompleted())
        co_return;
    setShowOnboarding(true);
    setOnboardingStep(1);
}

// The main loop: each pass starts a fixed pause after the previous one finished, for the model's life.
QCoro::Task<void> AppModel::monitor()
{
    const auto alive = m_alive;
    while (*alive) {
        QCoro::Task<void> refresh = refreshDevices();
        co_await std::move(refresh);
        if (!*alive)
            co_return;
        QCoro::Task<void> pause = m_sleeper.sleep(m_timing.monitorPause);
        co_await std::move(pause);
    }
}

QCoro::Task<void> AppModel::refreshDevices()
{
    const auto alive = m_alive;
    publish(m_refreshingDevices, true, &AppModel::refreshingDevicesChanged);
    std::optional<QList<DeviceInfo>> list;
    QString failure;
    try {
        const ADBService service = adb();
        QCoro::Task<QList<DeviceInfo>> listing = service.listDevices();
        list = co_await std::move(listing);
    } catch (const std::exception &error) {
        failure = errorText(error);
    }
    if (!*alive)
        co_return;
    if (list) {
        if (*list != m_devices) {
            // A phone that just became ready may still carry settings a crashed run of ours changed.
            for (const DeviceInfo &device : std::as_const(*list)) {
                if (device.state == QLatin1String("device") && !ready(m_devices, device.serial))
                    putBackLeftoverSettings(device.serial);
            }
            const QList<DeviceInfo> previous = m_devices;
            publish(m_devices, *list, &AppModel::devicesChanged);
            applySelectionRules(previous, *list);
            QCoro::Task<void> grouping = updatePhones(*list);
            co_await std::move(grouping);
            if (!*alive)
                co_return;
        }
        refreshSessionPulse();
    } else {
        appendLog(QStringLiteral("Device list failed: ") + failure);
        noteFailure(failure);
    }
    updateOnboarding();
    publish(m_refreshingDevices, false, &AppModel::refreshingDevicesChanged);
}

QCoro::Task<void> AppModel::updatePhones(QList<DeviceInfo> list)
{
    const auto alive = m_alive;
    // Shown at once with what is known; a transport met for the first time joins its phone once it told
    // who it is.
    publish(m_phones, m_phoneDirectory.rows(list), &AppModel::phonesChanged);
    QCoro::Task<QHash<QString, std::optional<QString>>> asking =
        PhoneDirectory::identify(adb(), m_phoneDirectory.unknownSerials(list));
    const QHash<QString, std::optional<QString>> learned = co_await std::move(asking);
    // A later refresh may have published a newer list meanwhile; the rows follow the list shown.
    if (!*alive)
        co_return;
    const std::optional<QString> shownKey =
        m_selectedSerial ? std::optional(phoneKey(*m_selectedSerial)) : std::nullopt;
    m_phoneDirectory.learn(learned, m_devices);
    if (shownKey) {
        const QString key = phoneKey(*m_selectedSerial);
        m_choices->renamePhone(*shownKey, key);
        if (UserDefaults::text(UserDefaults::selectedPhoneKey) == *shownKey)
            UserDefaults::writeText(UserDefaults::selectedPhoneKey, key);
    }
    publish(m_phones, m_phoneDirectory.rows(m_devices), &AppModel::phonesChanged);
}

void AppModel::applySelectionRules(const QList<DeviceInfo> &previous, const QList<DeviceInfo> &list)
{
    const auto withSerial = [](const QList<DeviceInfo> &devices, const QString &serial) {
        return std::any_of(devices.cbegin(), devices.cend(),
                           [&serial](const DeviceInfo &device) { return device.serial == serial; });
    };
    const std::optional<QString> remembered = rememberedPhoneIn(list);
    if (m_selectedSerial) {
        if (!withSerial(list, *m_selectedSerial))
            select(remembered       ? remembered
                   : list.isEmpty() ? std::nullopt
                                    : std::optional(list.first().serial));
        // The phone the user chose comes back to the front when it reappears, unless a reconnect still
        // waits for the phone it was given.
        else if (remembered && remembered != m_selectedSerial && !withSerial(previous, *remembered) &&
                 !m_reconnecting)
            select(remembered);
        return;
    }
    const auto ready = std::find_if(list.cbegin(), list.cend(), [](const DeviceInfo &device) {
        return device.state == QLatin1String("device");
    });
    if (remembered)
        select(remembered);
    else if (ready != list.cend())
        select(ready->serial);
    else if (!list.isEmpty())
        select(list.first().serial);
}

std::optional<QString> AppModel::rememberedPhoneIn(const QList<DeviceInfo> &list) const
{
    const QString remembered = UserDefaults::text(UserDefaults::selectedPhoneKey);
    const auto it = std::find_if(list.cbegin(), list.cend(), [this, &remembered](const DeviceInfo &device) {
        return !remembered.isEmpty() && phoneKey(device.serial) == remembered;
    });
    return it == list.cend() ? std::nullopt : std::optional(it->serial);
}

// The user's pick is remembered; the automatic ones above are not, so the pick wins when its phone returns.
void AppModel::setSelectedSerial(std::optional<QString> value)
{
    if (value)
        UserDefaults::writeText(UserDefaults::selectedPhoneKey, phoneKey(*value));
    select(std::move(value));
}

void AppModel::select(std::optional<QString> serial)
{
    if (serial == m_selectedSerial)
        return;
    publish(m_selectedSerial, std::move(serial), &AppModel::selectedSerialChanged);
    m_choices->showPhone(m_selectedSerial ? std::optional(phoneKey(*m_selectedSerial)) : std::nullopt);
    // What the bar said was about the phone picked before; kept, it would read as news about this one.
    if (!m_launchInProgress)
        reportLaunch(std::nullopt, MessageTone::Success);
    refreshInspection();
}

// The hardware serial once the phone told it, so that a Wi-Fi phone keeps its choices when its port
// changes and over USB.
QString AppModel::phoneKey(const QString &serial) const
{
    return m_phoneDirectory.keyOf(serial);
}

ModeSettings *AppModel::settingsFor(SidebarMode mode) const
{
    if (mode == SidebarMode::Camera)
        return m_cameraState;
    if (mode == SidebarMode::Desktop)
        return m_desktopState;
    return m_mirrorState;
}

void AppModel::refreshInspection()
{
    if (!m_selectedSerial) {
        publish(m_deviceProfile, std::optional<DeviceProfile>(), &AppModel::deviceProfileChanged);
        return;
    }
    inspect(*m_selectedSerial);
}

QCoro::Task<void> AppModel::inspect(QString serial)
{
    const auto alive = m_alive;
    std::optional<DeviceProfile> profile;
    try {
        const ADBService service = adb();
        QCoro::Task<DeviceProfile> inspection = service.inspectDevice(serial);
        profile = co_await std::move(inspection);
    } catch (const std::exception &) {
    }
    // When the selection changed meanwhile, the newer inspection answers: a slow one about the previous
    // phone must not overwrite it.
    if (!*alive || m_selectedSerial != serial)
        co_return;
    publish(m_deviceProfile, std::move(profile), &AppModel::deviceProfileChanged);
    // Probe results of the previous device must never be shown for this one.
    publish(m_mirrorRecommendation, std::optional<Recommendation>(), &AppModel::mirrorRecommendationChanged);
    publish(m_cameraCapabilities, std::optional<CameraCapabilities>(), &AppModel::cameraCapabilitiesChanged);
    publish(m_desktopCapabilities, std::optional<DesktopCapabilities>(),
            &AppModel::desktopCapabilitiesChanged);
}

// A session of ours running on the phone owns its settings; its own stop puts them back.
QCoro::Task<void> AppModel::putBackLeftoverSettings(QString serial)
{
    const auto alive = m_alive;
    if (sessionManager().runningSerials().contains(serial))
        co_return;
    QCoro::Task<std::optional<QString>> putting = SettingsJournal{}.putBackLeftovers(paths(), serial);
    const std::optional<QString> message = co_await std::move(putting);
    if (!*alive || !message)
        co_return;
    appendLog(*message);
    reportLaunch(*message, false);
}

void AppModel::refreshSessionPulse()
{
    SessionManager &manager = sessionManager();
    const bool wasActive = m_sessionActive;
    const std::optional<QString> endedOn = m_sessionDevice;
    // Read before the status prunes the ended session with its last lines.
    const std::optional<KnownErrorMatch> failure = endedOn ? manager.failureOf(*endedOn) : std::nullopt;
    const SessionStatus status = manager.status();
    if (status.active != m_sessionActive) {
        publish(m_sessionActive, status.active, &AppModel::sessionActiveChanged);
        // A session that vanishes while a launch is under way is being replaced by that launch.
        if (!status.active && wasActive && !m_userStoppedSession && !m_launchInProgress) {
            const bool reconnect = m_lastLaunchConfig.has_value();
            notify(QStringLiteral("Session ended"),
                   QStringLiteral("The session on ") + deviceName(endedOn.value_or(QString())) +
                       (reconnect ? QStringLiteral(" ended on its own; Quorvane is reconnecting.")
                                  : QStringLiteral(" ended on its own.")));
            // "Session started" would outlive the session it announced; the line it died with explains it.
            if (failure)
                reportLaunch(ErrorCatalog::explained(failure->line), MessageTone::Failure);
            else
                reportLaunch(std::nullopt, MessageTone::Success);
            if (reconnect)
                attemptReconnect(*m_lastLaunchConfig);
        }
    }
    publish(m_sessionDevice, status.serial, &AppModel::sessionDeviceChanged);
    publish(m_appliedConfig, status.appliedConfig, &AppModel::appliedConfigChanged);
    const QSet<QString> running = manager.runningSerials();
    publish(m_activeSessionSerials, running, &AppModel::activeSessionSerialsChanged);
    notifyFinishedRecordings(running);
}

// A recording is complete once its session is gone, whoever ended it.
void AppModel::notifyFinishedRecordings(const QSet<QString> &running)
{
    for (auto it = m_recordings.begin(); it != m_recordings.end();) {
        if (running.contains(it.key())) {
            ++it;
            continue;
        }
        notify(QStringLiteral("Recording saved"),
               QStringLiteral("Recording saved to ") + it.value() + QLatin1Char('.'));
        it = m_recordings.erase(it);
    }
}

void AppModel::notify(const QString &title, const QString &message)
{
    if (m_notifier)
        m_notifier->notify(title, message);
}

QString AppModel::deviceName(const QString &serial) const
{
    const auto it = std::find_if(m_devices.cbegin(), m_devices.cend(),
                                 [&serial](const DeviceInfo &device) { return device.serial == serial; });
    return it != m_devices.cend() ? phoneName(*it) : serial;
}

void AppModel::appendLog(const QString &text)
{
    m_logLines.append(text);
    if (m_logLines.size() > logsKeepAtLeast)
        m_logLines.remove(0, m_logLines.size() - logsKeepAtLeast);
    emit logLineAppended(text);
    emit logLinesChanged();
}

void AppModel::clearLog()
{
    if (m_logLines.isEmpty())
        return;
    m_logLines.clear();
    emit logLinesChanged();
}

// A line from adb or scrcpy that is known comes with its explanation above it.
QString AppModel::errorText(const std::exception &error)
{
    if (const auto *known = dynamic_cast<const Error *>(&error))
        return ErrorCatalog::explained(known->text());
    return ErrorCatalog::explained(QString::fromUtf8(error.what()));
}

ToolPaths AppModel::paths() const
{
    return ToolPaths{unlessEmpty(customADBPath()), unlessEmpty(customScrcpyPath())};
}

// Built from the paths of the moment it is first needed and kept for the model's life.
SessionManager &AppModel::sessionManager()
{
    if (m_sessionManager)
        return *m_sessionManager;
    const QPointer<AppModel> self(this);
    auto log = [self](const QString &line) {
        if (self)
            QMetaObject::invokeMethod(self, [self, line] { self->appendLog(line); });
    };
    m_sessionManager = std::make_unique<SessionManager>(paths(), std::move(log), m_timing);
    m_sessionManager->setDesktop(desktop());
    PlatformServices *platform = m_platform;
    m_sessionManager->setOnProcessSpawned([platform](qint64 pid) {
        if (platform)
            platform->activate(pid);
    });
    return *m_sessionManager;
}

const ADBService &AppModel::adb()
{
    if (!m_adb)
        m_adb = ADBService{paths()};
    return *m_adb;
}

std::optional<QString> AppModel::mediaRootOverrideURL() const
{
    return expandedFolder(mediaRootOverride());
}

std::optional<QString> AppModel::recordingsRootOverrideURL() const
{
    return expandedFolder(recordingsRootOverride());
}

MediaService AppModel::mediaService() const
{
    return MediaService{paths(), mediaRootOverrideURL(), recordingsRootOverrideURL(), std::nullopt};
}

void AppModel::reportLaunch(std::optional<QString> message, bool failed)
{
    reportLaunch(std::move(message), failed ? MessageTone::Failure : MessageTone::Success);
}

void AppModel::logFailure(const std::optional<QString> &message, MessageTone tone)
{
    // Status lines show a failure cut to fit; the terminal keeps every word of it.
    if (tone == MessageTone::Failure && message && !message->isEmpty() &&
        (m_logLines.isEmpty() || m_logLines.last() != *message))
        appendLog(*message);
}

void AppModel::reportLaunch(std::optional<QString> message, MessageTone tone)
{
    if (tone == MessageTone::Failure && message)
        noteFailure(*message);
    logFailure(message, tone);
    publish(m_launchMessageTone, tone, &AppModel::launchMessageToneChanged);
    publish(m_launchFailed, tone == MessageTone::Failure, &AppModel::launchFailedChanged);
    publish(m_launchMessage, std::move(message), &AppModel::launchMessageChanged);
}

void AppModel::noteFailure(const QString &text)
{
    // A few are enough to explain what went wrong lately; the same problem is listed once, as last seen.
    constexpr qsizetype kept = 5;
    const std::optional<KnownErrorMatch> known = ErrorCatalog::find(text);
    if (!known || known->error.level == DoctorFinding::Level::Info)
        return;
    DoctorFinding finding = known->finding();
    finding.detail += QStringLiteral(" Seen this run: ") + known->line;
    m_failureFindings.removeIf([&finding](const DoctorFinding &seen) { return seen.title == finding.title; });
    m_failureFindings.append(finding);
    if (m_failureFindings.size() > kept)
        m_failureFindings.removeFirst();
}

void AppModel::updateDerived()
{
    std::optional<DeviceInfo> selected;
    if (m_selectedSerial) {
        const auto it = std::find_if(m_devices.cbegin(), m_devices.cend(), [this](const DeviceInfo &device) {
            return device.serial == *m_selectedSerial;
        });
        if (it != m_devices.cend())
            selected = *it;
    }
    const bool ready = selected && selected->state == QLatin1String("device");
    publishDerived(m_selectedDevice, selected, &AppModel::selectedDeviceChanged);
    publishDerived(m_runtimeHealthy, m_runtime.usable(), &AppModel::runtimeHealthyChanged);
    publishDerived(m_desktopReady,
                   m_selectedMode != SidebarMode::Desktop ||
                       (m_desktopCapabilities && m_desktopCapabilities->supported),
                   &AppModel::desktopReadyChanged);
    publishDerived(m_canLaunch,
                   !m_selectedSerial.value_or(QString()).isEmpty() && ready && m_runtimeHealthy &&
                       m_desktopReady && !m_desktopChanging,
                   &AppModel::canLaunchChanged);

    QString modeKey = QStringLiteral("mirror");
    if (m_selectedMode == SidebarMode::Camera)
        modeKey = QStringLiteral("camera");
    else if (m_selectedMode == SidebarMode::Desktop)
        modeKey = QStringLiteral("desktop");
    else if (m_selectedMode == SidebarMode::Mirror && m_mirrorState->isCreatorMode())
        modeKey = QStringLiteral("creator");
    publishDerived(m_currentModeKey, modeKey, &AppModel::currentModeKeyChanged);
    publishDerived(m_currentConfig,
                   m_selectedSerial.value_or(QString()).isEmpty() ? std::nullopt
                                                                  : std::optional(liveConfig(modeKey)),
                   &AppModel::currentConfigChanged);
    publishDerived(m_pendingRestart,
                   m_sessionActive && m_appliedConfig && m_currentConfig &&
                       requiresRestart(*m_currentConfig, *m_appliedConfig),
                   &AppModel::pendingRestartChanged);
    publishDerived(m_desktopLaunchLabel, computeDesktopLaunchLabel(), &AppModel::desktopLaunchLabelChanged);
    publishDerived(m_launchButtonTitle, computeLaunchButtonTitle(), &AppModel::launchButtonTitleChanged);
}

QString AppModel::modeWord() const
{
    if (m_selectedMode == SidebarMode::Camera)
        return QStringLiteral("Camera");
    if (m_selectedMode == SidebarMode::Desktop)
        return QStringLiteral("Desktop");
    return QStringLiteral("Mirror");
}

QString AppModel::computeLaunchButtonTitle() const
{
    if (m_launching)
        return m_pendingRestart ? QStringLiteral("Restarting…") : QStringLiteral("Starting…");
    if (m_pendingRestart)
        return QStringLiteral("Restart ") + modeWord() + QStringLiteral(" to Apply");
    switch (m_selectedMode) {
    case SidebarMode::Desktop:
        return m_desktopLaunchLabel;
    case SidebarMode::Camera:
        return QStringLiteral("Open Camera");
    case SidebarMode::Wireless:
    case SidebarMode::Doctor:
        return QStringLiteral("Start Session");
    case SidebarMode::Mirror:
        break;
    }
    return m_mirrorState->record() ? QStringLiteral("Start & Record") : QStringLiteral("Mirror Phone");
}

QString AppModel::computeDesktopLaunchLabel() const
{
    if (m_selectedMode != SidebarMode::Desktop)
        return QStringLiteral("Launch Desktop");
    if (m_desktopCapabilities)
        return m_desktopCapabilities->launchLabel;
    return m_desktopBusy ? QStringLiteral("Checking Display Support…") : QStringLiteral("Launch Desktop");
}

void AppModel::setSelectedMode(SidebarMode value)
{
    UserDefaults::writeText(UserDefaults::selectedModeKey, title(value));
    publish(m_selectedMode, value, &AppModel::selectedModeChanged);
}

void AppModel::setSelectedProfileId(std::optional<QUuid> value)
{
    publish(m_selectedProfileId, std::move(value), &AppModel::selectedProfileIdChanged);
}

void AppModel::setShowOnboarding(bool value)
{
    publish(m_showOnboarding, value, &AppModel::showOnboardingChanged);
}

void AppModel::setOnboardingStep(int value)
{
    publish(m_onboardingStep, value, &AppModel::onboardingStepChanged);
}

void AppModel::setOnboardingVendor(QString value)
{
    publish(m_onboardingVendor, std::move(value), &AppModel::onboardingVendorChanged);
}

QString AppModel::customADBPath() const
{
    return UserDefaults::text(UserDefaults::customADBPathKey);
}

QString AppModel::customScrcpyPath() const
{
    return UserDefaults::text(UserDefaults::customScrcpyPathKey);
}

bool AppModel::onboardingCompleted() const
{
    return UserDefaults::flag(UserDefaults::onboardingCompletedKey);
}

QString AppModel::mediaRootOverride() const
{
    return UserDefaults::text(UserDefaults::mediaRootOverrideKey);
}

QString AppModel::recordingsRootOverride() const
{
    return UserDefaults::text(UserDefaults::recordingsRootOverrideKey);
}

bool AppModel::mirrorThroughXWayland() const
{
    return UserDefaults::flag(UserDefaults::mirrorThroughXWaylandKey);
}

HostDesktop AppModel::desktop() const
{
    return m_platform ? m_platform->desktop() : HostDesktop::detect();
}

Environment AppModel::windowEnvironment() const
{
    return desktop().windowEnvironment(mirrorThroughXWayland());
}

bool AppModel::shortcutsReachWindows() const
{
    return m_platform && (desktop().kind() != HostDesktop::Kind::Wayland || mirrorThroughXWayland());
}

bool AppModel::showTrayIcon() const
{
    const QVariant stored = UserDefaults::value(UserDefaults::showTrayIconKey);
    return !stored.isValid() || stored.toBool();
}

void AppModel::setShowTrayIcon(bool value)
{
    if (value == showTrayIcon())
        return;
    UserDefaults::setValue(UserDefaults::showTrayIconKey, value);
    emit showTrayIconChanged();
}

void AppModel::setMirrorThroughXWayland(bool value)
{
    if (UserDefaults::writeFlag(UserDefaults::mirrorThroughXWaylandKey, value))
        emit mirrorThroughXWaylandChanged();
}

void AppModel::setCustomADBPath(const QString &value)
{
    if (UserDefaults::writeText(UserDefaults::customADBPathKey, value))
        emit customADBPathChanged();
}

void AppModel::setCustomScrcpyPath(const QString &value)
{
    if (UserDefaults::writeText(UserDefaults::customScrcpyPathKey, value))
        emit customScrcpyPathChanged();
}

void AppModel::setOnboardingCompleted(bool value)
{
    if (UserDefaults::writeFlag(UserDefaults::onboardingCompletedKey, value))
        emit onboardingCompletedChanged();
}

void AppModel::setMediaRootOverride(const QString &value)
{
    if (UserDefaults::writeText(UserDefaults::mediaRootOverrideKey, value))
        emit mediaRootOverrideChanged();
}

void AppModel::setRecordingsRootOverride(const QString &value)
{
    if (UserDefaults::writeText(UserDefaults::recordingsRootOverrideKey, value))
        emit recordingsRootOverrideChanged();
}

// The sheet follows the device list on its own and never steps back; from step 1 it moves one step per
// refresh, so the user sees that the phone was noticed before the sheet closes.
void AppModel::updateOnboarding()
{
    if (!m_showOnboarding)
        return;
    if (m_onboardingStep == 1) {
        if (!m_devices.isEmpty())
            setOnboardingStep(2);
        return;
    }
    if (m_onboardingStep < 2)
        return;
    if (anyInState(m_devices, QStringLiteral("device"))) {
        setOnboardingStep(4);
        setOnboardingCompleted(true);
        setShowOnboarding(false);
    } else if (anyInState(m_devices, QStringLiteral("unauthorized"))) {
        setOnboardingStep(3);
    }
}

void AppModel::skipOnboarding()
{
    setShowOnboarding(false);
    setOnboardingCompleted(true);
}

// Setup is not marked completed, so it is offered again at the next start.
void AppModel::openDoctorFromOnboarding()
{
    setSelectedMode(SidebarMode::Doctor);
    setShowOnboarding(false);
}

void AppModel::showOnboardingAgain()
{
    setOnboardingCompleted(false);
    setShowOnboarding(true);
    setOnboardingStep(1);
}

} // namespace quorvane::app
