#pragma once

#include "ErrorCatalog.h"
#include "HostDesktop.h"
#include "LaunchConfig.h"
#include "MediaService.h"
#include "ProcessRunner.h"
#include "ProfileStore.h"
#include "SessionRecords.h"
#include "Timing.h"
#include "ToolPaths.h"

#include <QMap>
#include <QObject>
#include <QSet>

#include <QCoroTask>

#include <functional>
#include <memory>

namespace quorvane {

// Owns the running scrcpy processes, at most one per serial. Everything runs on the thread that owns it;
// operations interleave only where they wait. Destroying it ends every child it still holds; an operation
// suspended at that moment resumes without touching it (a launch or live setting then fails).
class SessionManager final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SessionManager)

public:
    using Log = std::function<void(const QString &)>;
    using ProcessSpawned = std::function<void(qint64 pid)>;
    // Sends one key, with the session's shortcut modifiers, to the mirror window; may throw.
    using KeySender = std::function<QCoro::Task<void>(QString key)>;

    explicit SessionManager(ToolPaths paths, Log log = {}, Timing timing = {}, QObject *parent = nullptr);
    ~SessionManager() override;

    void setOnProcessSpawned(ProcessSpawned callback);
    // Called as each attempt of a launch starts scrcpy: its number from 1 and scrcpy's arguments.
    void setOnAttempt(std::function<void(int number, QStringList arguments)> callback)
    {
        m_onAttempt = std::move(callback);
    }
    // The desktop whose words explain a shortcut that cannot be sent; detected when never set.
    void setDesktop(HostDesktop desktop) { m_desktop = desktop; }
    // Variables added to the environment of every scrcpy session started from now on (the window system
    // its window uses).
    void setWindowEnvironment(Environment environment) { m_windowEnvironment = std::move(environment); }

    // A stop for the serial while this runs ends it: the child being watched is ended, no further
    // attempt is made, nothing is remembered, and it fails with SessionError::launchCancelled().
    QCoro::Task<LaunchResult> launch(LaunchConfig config, MediaService media, LaunchOptions options = {});
    // Both answer true when they put back phone settings the user had changed live.
    QCoro::Task<bool> stop(QString serial);
    QCoro::Task<bool> stopAll();

    // Ended sessions are pruned (and their phone settings restored in the background) only once none runs.
    SessionStatus status();
    QSet<QString> runningSerials() const;
    // How the serial's session ended while nobody stopped it: scrcpy's exit code, or nullopt while it runs,
    // once it is gone, or when scrcpy crashed. scrcpy exits 0 when the user closes its window.
    std::optional<int> exitCodeOf(const QString &serial) const;
    // Why the serial's session failed while nobody stopped it, when one of its last lines says: nullopt
    // while it runs, once it is gone, when it ended well or when no line it printed is known.
    std::optional<KnownErrorMatch> failureOf(const QString &serial) const;
    bool isRunning() const;

    QCoro::Task<SettingBackup> readSetting(QString serial, QString settingNamespace, QString key) const;
    QCoro::Task<void> restoreLiveSettings(ManagedSession session) const;
    QCoro::Task<void> applyLiveSetting(QString setting, LaunchConfig config, KeySender keySender);
    void activateWindow() const;

private:
    // The launch under way, so that a stop can reach it between its steps.
    struct LaunchInProgress
    {
        QString serial;
        QPointer<QProcess> child; // the attempt being watched
        QStringList childLines;   // what it printed, to read why it died
        bool cancelled = false;
    };

    QCoro::Task<bool> launchAndWatch(QString executable, QStringList arguments,
                                     std::shared_ptr<LaunchInProgress> launch);
    QCoro::Task<void> cancelLaunch(std::shared_ptr<LaunchInProgress> launch);
    // stop() without touching a launch: the launch itself uses it to replace the serial's old session.
    QCoro::Task<bool> endSession(QString serial);
    QProcess *spawn(const QString &executable, const QStringList &arguments);
    void pumpLines(QProcess *process, QProcess::ProcessChannel channel, const QString &label);
    void registerSession(QProcess *process, const QStringList &printed);
    QCoro::Task<void> applyShortcut(QString setting, LaunchConfig config, KeySender keySender);
    QCoro::Task<void> applyPhoneSetting(QString setting, LaunchConfig config);
    void log(const QString &line) const;

    QMap<QString, ManagedSession> m_sessions;
    ToolPaths m_paths;
    ProfileStore m_profiles;
    Log m_log;
    ProcessSpawned m_onProcessSpawned;
    std::function<void(int, QStringList)> m_onAttempt;
    std::optional<LaunchConfig> m_pendingConfig;
    std::shared_ptr<LaunchInProgress> m_launch;
    Timing m_timing;
    HostDesktop m_desktop = HostDesktop::detect();
    Environment m_windowEnvironment;
};

} // namespace quorvane
