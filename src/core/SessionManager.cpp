#include "SessionManager.h"

#include "ADBService.h"
#include "Async.h"
#include "ErrorCatalog.h"
#include "Errors.h"
#include "FallbackProfiles.h"
#include "LaunchArgumentBuilder.h"
#include "OutputLines.h"
#include "ProcessRunner.h"
#include "RuntimeLocator.h"
#include "SettingsJournal.h"

#include <QScopeGuard>

namespace quorvane {

namespace {

const QString shortcutModifiers = QStringLiteral("--shortcut-mod=lctrl,lalt");
// Enough of a session's last words to hold the line that says why it ended and the ones that follow it.
constexpr qsizetype keptLines = 20;

void keepLast(QStringList &lines, const QStringList &more)
{
    lines += more;
    if (lines.size() > keptLines)
        lines.remove(0, lines.size() - keptLines);
}

QString successMessage(qsizetype index, qsizetype count, bool remembered, bool camera)
{
    if (index == 0)
        return camera ? QStringLiteral("Camera opened with the selected smart camera profile.")
                      : QStringLiteral("Session started with the selected smart profile.");
    const QString attempt = QString::number(index + 1);
    const QString total = QString::number(count);
    if (camera)
        return QStringLiteral(
                   "Camera opened after Quorvane automatically found a safer working combination on "
                   "attempt %1 of %2.")
            .arg(attempt, total);
    if (remembered)
        return QStringLiteral(
                   "Session recovered on attempt %1 of %2. This working profile is now remembered for "
                   "this device.")
            .arg(attempt, total);
    return QStringLiteral("Session started after Quorvane automatically recovered on attempt %1 of %2.")
        .arg(attempt, total);
}

// config carries the value the setting is to take. scrcpy's MOD+o only ever turns the screen off; turning
// it back on is MOD+Shift+o.
QString shortcutKey(const QString &setting, const LaunchConfig &config)
{
    if (setting == QLatin1String("fullscreen"))
        return QStringLiteral("f");
    if (setting == QLatin1String("turnScreenOff"))
        return config.turnScreenOff ? QStringLiteral("o") : QStringLiteral("shift+o");
    if (setting == QLatin1String("cameraTorch"))
        return QStringLiteral("t");
    return {};
}

// Puts one setting back as it was before the session's first live change and strikes it off the journal;
// a failure leaves the journal entry for the next time the phone is met.
QCoro::Task<void> restoreSetting(ADBService adb, QString serial, QString settingNamespace, QString key,
                                 std::optional<SettingBackup> backup)
{
    if (!backup)
        co_return;
    const JournalEntry entry{serial, settingNamespace, key, *backup, {}, 0};
    QCoro::Task<bool> putting = SettingsJournal{}.putBack(std::move(adb), entry);
    co_await std::move(putting);
}

// The phone's settings as they were before the session's first live change. Works on copies only, so it
// finishes even when the manager is destroyed meanwhile.
QCoro::Task<void> restoreSettings(ADBService adb, ManagedSession session)
{
    QCoro::Task<void> touches = restoreSetting(adb, session.config.serial, QStringLiteral("system"),
                                               QStringLiteral("show_touches"), session.showTouchesBackup);
    co_await std::move(touches);
    QCoro::Task<void> awake =
        restoreSetting(adb, session.config.serial, QStringLiteral("global"),
                       QStringLiteral("stay_on_while_plugged_in"), session.stayAwakeBackup);
    co_await std::move(awake);
}

// Politely first, then by force. Takes copies of everything, so a manager destroyed meanwhile is no harm.
QCoro::Task<void> endProcess(QPointer<QProcess> process, Timing timing)
{
    if (process && process->state() != QProcess::NotRunning) {
        process->terminate();
        for (int check = 0; check < timing.stopChecks && process && process->state() != QProcess::NotRunning;
             ++check)
            co_await sleepPrecisely(timing.stopCheckInterval, process);
        if (process && process->state() != QProcess::NotRunning) {
            process->kill();
            co_await processEnded(process);
        }
    }
    if (process)
        process->deleteLater();
}

// What a launch that outlived its manager ends with; in practice the application is quitting.
SessionError abandoned()
{
    return SessionError::notRunning(QStringLiteral("The session was abandoned because Quorvane is closing."));
}

} // namespace

SessionManager::SessionManager(ToolPaths paths, Log log, Timing timing, QObject *parent)
    : QObject(parent)
    , m_paths(std::move(paths))
    , m_log(std::move(log))
    , m_timing(std::move(timing))
{
}

// The last resort at quit: the application stops sessions politely (restoring phone settings) first, but
// whatever still runs here must not outlive us. A child that a launch or a stop is still waiting on goes
// to the shared owner instead of dying with us: that operation resumes, sees it ended, and deletes it.
SessionManager::~SessionManager()
{
    QSet<const QProcess *> registered;
    for (const ManagedSession &session : std::as_const(m_sessions))
        registered.insert(session.process.data());
    const QList<QProcess *> children = findChildren<QProcess *>(Qt::FindDirectChildrenOnly);
    for (QProcess *process : children) {
        if (process->state() != QProcess::NotRunning)
            process->kill();
        if (!registered.contains(process))
            process->setParent(childProcessOwner());
    }
}

void SessionManager::setOnProcessSpawned(ProcessSpawned callback)
{
    m_onProcessSpawned = std::move(callback);
}

void SessionManager::log(const QString &line) const
{
    if (m_log)
        m_log(line);
}

QCoro::Task<LaunchResult> SessionManager::launch(LaunchConfig config, MediaService media,
                                                 LaunchOptions options)
{
    if (!LaunchConfig::supportedModes().contains(config.mode))
        throw ScrcpyError::invalidInput(QStringLiteral("Unknown session mode."));
    const QString scrcpy = m_paths.scrcpy();
    const QPointer<SessionManager> self(this);
    const auto current = std::make_shared<LaunchInProgress>();
    current->serial = config.serial;
    m_launch = current;
    const auto forget = qScopeGuard([self, current] {
        if (self && self->m_launch == current)
            self->m_launch.reset();
    });
    // After every wait: the manager may be gone, or a stop may have cancelled this launch.
    const auto checkStillWanted = [&self, &current] {
        if (!self)
            throw abandoned();
        if (current->cancelled)
            throw SessionError::launchCancelled();
    };

    // An older scrcpy rejects options we pass; saying so beats a ladder of launches that all die.
    co_await RuntimeLocator::requireUsableScrcpy(scrcpy);
    checkStillWanted();
    const ADBService adbService{m_paths};
    const QList<DeviceInfo> devices = co_await adbService.listDevices();
    checkStillWanted();
    const auto device = std::find_if(devices.cbegin(), devices.cend(), [&config](const DeviceInfo &info) {
        return info.serial == config.serial;
    });
    if (device == devices.cend())
        throw ScrcpyError::deviceState(QStringLiteral("Selected device is no longer connected."));
    if (device->state != QLatin1String("device"))
        throw ScrcpyError::deviceState(
            QStringLiteral("Device is '%1', not ready. Run Connection Doctor for the next step.")
                .arg(device->state));

    // What works is learned for the phone, not for the address that reaches it today.
    const PhoneIdentity phone = co_await adbService.identify(config.serial);
    checkStillWanted();

    if (m_sessions.contains(config.serial)) {
        QCoro::Task<bool> stopping = endSession(config.serial);
        co_await std::move(stopping);
        checkStillWanted();
    }
    std::optional<QString> recording;
    if (config.record)
        recording =
            options.recordingPath ? *options.recordingPath : media.recordingDestination(config.serial);

    const QList<LaunchConfig> ladder =
        options.fallback ? FallbackProfiles::variants(config) : QList<LaunchConfig>{config};
    const qsizetype count = ladder.size();
    int attempts = 0;
    std::optional<KnownErrorMatch> lastKnown;
    QString reason;
    for (qsizetype index = 0; index < count; ++index) {
        const LaunchConfig &variant = ladder.at(index);
        ++attempts;
        QStringList arguments = LaunchArgumentBuilder::buildArguments(variant, recording);
        arguments << shortcutModifiers << options.extraArguments;
        m_pendingConfig = variant;
        const QString preview = LaunchArgumentBuilder::shellPreview(scrcpy, arguments);
        // Numbered as made: a learned leap skips rungs, not attempts.
        log(QStringLiteral("Attempt %1/%2: %3")
                .arg(QString::number(attempts), QString::number(count), preview));
        if (m_onAttempt)
            m_onAttempt(attempts, arguments);
        current->childLines.clear();
        QCoro::Task<bool> watching = launchAndWatch(scrcpy, arguments, current);
        const bool started = co_await std::move(watching);
        if (self && current->cancelled)
            m_pendingConfig.reset();
        checkStillWanted();
        if (!started) {
            log(QStringLiteral("Attempt %1 exited immediately.").arg(attempts));
            // A line that names what was refused skips the rungs that would not change it.
            lastKnown = ErrorCatalog::find(current->childLines.join(QLatin1Char('\n')));
            if (!lastKnown)
                continue;
            log(lastKnown->sentence());
            if (const std::optional<FallbackProfiles::Leap> leap =
                    FallbackProfiles::leap(ladder, index, lastKnown->error.id)) {
                reason = leap->reason;
                log(reason);
                index = leap->index - 1;
            }
            continue;
        }
        bool remembered = options.learn;
        try {
            if (options.learn)
                m_profiles.remember(variant, phone);
        } catch (const std::exception &error) {
            remembered = false;
            log(QStringLiteral("Could not remember this profile: ") + QString::fromUtf8(error.what()));
        }
        LaunchResult result;
        result.fallbackUsed = index > 0;
        result.attempts = attempts;
        result.commandPreview = preview;
        result.recordingPath = recording;
        result.message =
            successMessage(attempts - 1, count, remembered, config.mode == QLatin1String("camera"));
        if (!reason.isEmpty())
            result.message = reason + QLatin1Char(' ') + result.message;
        co_return result;
    }
    QString failure =
        QStringLiteral("scrcpy exited immediately after %1. Open Connection Doctor and verify the "
                       "device/runtime.")
            .arg(attempts == 1 ? QStringLiteral("1 smart attempt")
                               : QStringLiteral("%1 smart attempts").arg(attempts));
    // Every attempt dying at once on a locked phone points at the lock, unless scrcpy named a cause.
    QCoro::Task<std::optional<bool>> askingLock = adbService.screenLocked(config.serial);
    const std::optional<bool> locked = co_await std::move(askingLock);
    checkStillWanted();
    if (locked.value_or(false))
        lastKnown = ErrorCatalog::find(current->childLines.join(QLatin1Char('\n')) + QLatin1Char('\n') +
                                       ErrorCatalog::screenLockedLine);
    // The line that says why goes with the failure, so whoever shows it can explain it.
    if (lastKnown)
        failure = lastKnown->sentence() + QLatin1Char('\n') + failure + QLatin1Char('\n') + lastKnown->line;
    throw SessionError::notRunning(failure);
}

QProcess *SessionManager::spawn(const QString &executable, const QStringList &arguments)
{
    auto *process = new QProcess(this);
    tieToParent(process);
    process->setProgram(executable);
    process->setArguments(arguments);
    Environment environment = RuntimeLocator::scrcpyEnvironment(m_paths);
    environment.insert(m_windowEnvironment);
    process->setProcessEnvironment(ProcessRunner::mergedEnvironment(environment));
    process->setStandardInputFile(QProcess::nullDevice());
    pumpLines(process, QProcess::StandardOutput, QString());
    pumpLines(process, QProcess::StandardError, QStringLiteral("scrcpy:"));
    process->start();
    return process;
}

void SessionManager::pumpLines(QProcess *process, QProcess::ProcessChannel channel, const QString &label)
{
    const auto signal = channel == QProcess::StandardOutput ? &QProcess::readyReadStandardOutput
                                                            : &QProcess::readyReadStandardError;
    auto lines = std::make_shared<OutputLines>();
    const auto record = [this, process, label](const QStringList &complete) {
        if (m_launch && m_launch->child == process)
            m_launch->childLines += complete;
        for (ManagedSession &session : m_sessions) {
            if (session.process == process)
                keepLast(session.lastLines, complete);
        }
        for (const QString &line : complete)
            log(label.isEmpty() ? line : label + QLatin1Char(' ') + line);
    };
    const auto read = [process, channel] {
        return channel == QProcess::StandardOutput ? process->readAllStandardOutput()
                                                   : process->readAllStandardError();
    };
    connect(process, signal, this, [lines, record, read] { record(lines->take(read())); });
    // Connected before anyone watching the launch, so its last line is read before the exit is judged.
    connect(process, &QProcess::finished, this, [lines, record, read] {
        QStringList last = lines->take(read());
        record(last + lines->finish());
    });
}

// False when the child dies inside the watch window, when the manager is destroyed meanwhile (its
// destructor has then killed the child), or when a stop cancels the launch. The stop ends a cancelled
// child; this waits until it has, so the launch never reports back while its window is still open.
QCoro::Task<bool> SessionManager::launchAndWatch(QString executable, QStringList arguments,
                                                 std::shared_ptr<LaunchInProgress> launch)
{
    const QPointer<SessionManager> self(this);
    const Timing timing = m_timing;
    QPointer<QProcess> process = spawn(executable, arguments);
    launch->child = process;
    bool running = co_await processStarted(process);
    if (self && !running && process && process->error() == QProcess::FailedToStart)
        log(QStringLiteral("Could not start scrcpy: ") + process->errorString());
    if (self && running && !launch->cancelled && m_onProcessSpawned)
        m_onProcessSpawned(process->processId());
    // Not woken through the child: the stop deletes a cancelled one once it has ended.
    for (int check = 0; running && self && !launch->cancelled && check < timing.launchWatchChecks; ++check) {
        co_await sleepPrecisely(timing.launchWatchInterval);
        running = process && process->state() != QProcess::NotRunning;
    }
    if (launch->cancelled) {
        if (process && process->state() != QProcess::NotRunning)
            co_await processEnded(process);
        co_return false;
    }
    if (!self || !running) {
        if (process)
            process->deleteLater();
        co_return false;
    }
    registerSession(process, launch->childLines);
    co_return true;
}

void SessionManager::registerSession(QProcess *process, const QStringList &printed)
{
    ManagedSession session;
    keepLast(session.lastLines, printed);
    session.config = m_pendingConfig.value_or(LaunchConfig::defaultRecord());
    session.startedAt = QDateTime::currentDateTime();
    session.process = process;
    if (m_pendingConfig) {
        session.scrcpyManagesShowTouches = m_pendingConfig->showTouches;
        session.scrcpyManagesStayAwake = m_pendingConfig->stayAwake && !m_pendingConfig->turnScreenOff &&
                                         m_pendingConfig->mode != QLatin1String("camera");
        m_pendingConfig.reset();
    }
    m_sessions.insert(session.config.serial, session);
}

// The launch notices the flag at its next step; the child it watches is ended here, at once.
QCoro::Task<void> SessionManager::cancelLaunch(std::shared_ptr<LaunchInProgress> launch)
{
    if (launch->cancelled)
        co_return;
    launch->cancelled = true;
    QCoro::Task<void> ending = endProcess(launch->child, m_timing);
    co_await std::move(ending);
}

QCoro::Task<bool> SessionManager::stop(QString serial)
{
    const QPointer<SessionManager> self(this);
    if (m_launch && m_launch->serial == serial) {
        QCoro::Task<void> cancelling = cancelLaunch(m_launch);
        co_await std::move(cancelling);
        if (!self)
            co_return false;
    }
    QCoro::Task<bool> ending = endSession(serial);
    co_return co_await std::move(ending);
}

QCoro::Task<bool> SessionManager::endSession(QString serial)
{
    const QPointer<SessionManager> self(this);
    const auto it = m_sessions.find(serial);
    if (it == m_sessions.end())
        co_return false;
    const ManagedSession session = it.value();
    m_sessions.erase(it);
    // Only a setting the user changed live has a backup; what scrcpy changed itself it puts back itself.
    const bool restores = session.showTouchesBackup || session.stayAwakeBackup;
    const ADBService adb{m_paths};
    QCoro::Task<void> ending = endProcess(session.process, m_timing);
    co_await std::move(ending);
    // The phone gets its settings back even if the manager was destroyed while the child was ending.
    QCoro::Task<void> restoring = restoreSettings(adb, session);
    co_await std::move(restoring);
    if (self)
        log(restores ? QStringLiteral("Session stopped for %1; Android settings restored.").arg(serial)
                     : QStringLiteral("Session stopped for %1.").arg(serial));
    co_return restores;
}

QCoro::Task<bool> SessionManager::stopAll()
{
    const QPointer<SessionManager> self(this);
    QStringList serials = m_sessions.keys();
    if (m_launch && !serials.contains(m_launch->serial))
        serials.prepend(m_launch->serial);
    bool restored = false;
    for (const QString &serial : std::as_const(serials)) {
        QCoro::Task<bool> stopping = stop(serial);
        const bool putBack = co_await std::move(stopping);
        restored = restored || putBack;
        if (!self)
            break;
    }
    co_return restored;
}

SessionStatus SessionManager::status()
{
    for (const ManagedSession &session : std::as_const(m_sessions)) {
        if (session.isRunning())
            return SessionStatus{true, session.config.serial, session.config.mode, session.config};
    }
    const QList<ManagedSession> ended = m_sessions.values();
    m_sessions.clear();
    for (const ManagedSession &session : ended) {
        if (session.process)
            session.process->deleteLater();
        restoreLiveSettings(session); // in the background: the answer does not wait for the phone
    }
    return SessionStatus{};
}

QSet<QString> SessionManager::runningSerials() const
{
    QSet<QString> serials;
    for (auto it = m_sessions.cbegin(); it != m_sessions.cend(); ++it) {
        if (it->isRunning())
            serials.insert(it.key());
    }
    return serials;
}

std::optional<int> SessionManager::exitCodeOf(const QString &serial) const
{
    const auto it = m_sessions.constFind(serial);
    if (it == m_sessions.cend() || !it->process || it->isRunning() ||
        it->process->exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return it->process->exitCode();
}

std::optional<KnownErrorMatch> SessionManager::failureOf(const QString &serial) const
{
    const auto it = m_sessions.constFind(serial);
    if (it == m_sessions.cend() || !it->process || it->isRunning() ||
        (it->process->exitStatus() == QProcess::NormalExit && it->process->exitCode() == 0))
        return std::nullopt;
    return ErrorCatalog::find(it->lastLines.join(QLatin1Char('\n')));
}

bool SessionManager::isRunning() const
{
    return std::any_of(m_sessions.cbegin(), m_sessions.cend(),
                       [](const ManagedSession &session) { return session.isRunning(); });
}

QCoro::Task<SettingBackup> SessionManager::readSetting(QString serial, QString settingNamespace,
                                                       QString key) const
{
    const ADBService adb{m_paths};
    const QStringList arguments{QStringLiteral("settings"), QStringLiteral("get"), settingNamespace, key};
    try {
        const QString value = (co_await adb.shell(serial, arguments)).trimmed();
        if (!value.isEmpty() && value != QLatin1String("null"))
            co_return SettingBackup{value};
    } catch (const std::exception &) {
    }
    co_return SettingBackup::missing();
}

// Uses only its own copies, so it may outlive the manager (status() starts it without waiting).
QCoro::Task<void> SessionManager::restoreLiveSettings(ManagedSession session) const
{
    return restoreSettings(ADBService{m_paths}, std::move(session));
}

QCoro::Task<void> SessionManager::applyLiveSetting(QString setting, LaunchConfig config, KeySender keySender)
{
    if (m_sessions.isEmpty())
        throw SessionError::noActiveSession();
    const ManagedSession &first = m_sessions.first();
    if (first.config.serial != config.serial || first.config.mode != config.mode)
        throw SessionError::otherDevice();
    if (!first.isRunning())
        throw SessionError::windowClosed();
    const QPointer<SessionManager> self(this);
    QCoro::Task<void> applying = shortcutKey(setting, config).isEmpty()
                                     ? applyPhoneSetting(setting, config)
                                     : applyShortcut(setting, config, std::move(keySender));
    co_await std::move(applying);
    // The destructor ended every window.
    if (!self)
        throw SessionError::windowClosed();
    log(QStringLiteral("Applied live setting: ") + setting);
}

QCoro::Task<void> SessionManager::applyShortcut(QString setting, LaunchConfig config, KeySender keySender)
{
    if (!keySender)
        throw ScrcpyError::unchecked(m_desktop.shortcutsUnavailable());
    activateWindow();
    const QPointer<SessionManager> self(this);
    QCoro::Task<void> sent = keySender(shortcutKey(setting, config));
    co_await std::move(sent);
    if (!self)
        throw SessionError::windowClosed();
    // The session may have been stopped while the key travelled; a stopped one is not brought back.
    const auto it = m_sessions.find(config.serial);
    if (it == m_sessions.end())
        co_return;
    if (setting == QLatin1String("fullscreen"))
        it->config.fullscreen = config.fullscreen;
    else if (setting == QLatin1String("turnScreenOff"))
        it->config.turnScreenOff = config.turnScreenOff;
    else
        it->config.cameraTorch = config.cameraTorch;
}

QCoro::Task<void> SessionManager::applyPhoneSetting(QString setting, LaunchConfig config)
{
    const bool showTouches = setting == QLatin1String("showTouches");
    const bool stayAwake = setting == QLatin1String("stayAwake");
    const QString &mode = config.mode;
    const bool supported = (showTouches && mode != QLatin1String("camera")) ||
                           (stayAwake && mode != QLatin1String("camera") && mode != QLatin1String("desktop"));
    if (!supported)
        throw SessionError::unsupportedSetting();

    const QString settingNamespace = showTouches ? QStringLiteral("system") : QStringLiteral("global");
    const QString key =
        showTouches ? QStringLiteral("show_touches") : QStringLiteral("stay_on_while_plugged_in");
    const bool on = showTouches ? config.showTouches : config.stayAwake;
    const QString value =
        on ? (showTouches ? QStringLiteral("1") : QStringLiteral("7")) : QStringLiteral("0");
    auto backupOf = [showTouches](ManagedSession &session) -> std::optional<SettingBackup> & {
        return showTouches ? session.showTouchesBackup : session.stayAwakeBackup;
    };

    const QPointer<SessionManager> self(this);
    const ManagedSession &session = m_sessions.first();
    const bool managed = showTouches ? session.scrcpyManagesShowTouches : session.scrcpyManagesStayAwake;
    std::optional<SettingBackup> previous = backupOf(m_sessions.first());
    if (!previous && !managed) {
        QCoro::Task<SettingBackup> reading = readSetting(config.serial, settingNamespace, key);
        previous = co_await std::move(reading);
        // Without its manager or its session nothing would put the setting back, so it is left alone.
        if (!self || !m_sessions.contains(config.serial))
            throw SessionError::windowClosed();
    }
    if (previous) {
        // Journalled before the phone changes, so a crash from here on still gets the setting put back. An
        // entry already there (an earlier change, or a crash's leftover) holds the value to return to.
        previous = SettingsJournal{}.record(config.serial, settingNamespace, key, *previous);
        if (const auto it = m_sessions.find(config.serial); it != m_sessions.end())
            backupOf(*it) = previous;
    }
    const ADBService adb{m_paths};
    const QStringList arguments{QStringLiteral("settings"), QStringLiteral("put"), settingNamespace, key,
                                value};
    co_await adb.shell(config.serial, arguments);
    if (!self)
        throw SessionError::windowClosed();
    const auto it = m_sessions.find(config.serial);
    if (it == m_sessions.end())
        co_return;
    if (showTouches)
        it->config.showTouches = config.showTouches;
    else
        it->config.stayAwake = config.stayAwake;
}

void SessionManager::activateWindow() const
{
    if (!m_sessions.isEmpty() && m_onProcessSpawned && m_sessions.first().process)
        m_onProcessSpawned(m_sessions.first().process->processId());
}

} // namespace quorvane
