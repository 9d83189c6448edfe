#pragma once

#include "LaunchConfig.h"

#include <QDateTime>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <optional>

namespace quorvane {

// A phone setting's value before we first changed it: absent (std::nullopt inside) means it was unset.
struct SettingBackup
{
    std::optional<QString> value;

    static SettingBackup missing() { return {}; }
    bool operator==(const SettingBackup &) const = default;
};

// One running scrcpy, with what must be put back on the phone when it ends.
struct ManagedSession
{
    LaunchConfig config;
    std::optional<SettingBackup> showTouchesBackup;
    std::optional<SettingBackup> stayAwakeBackup;
    bool scrcpyManagesShowTouches = false;
    bool scrcpyManagesStayAwake = false;
    QDateTime startedAt;
    QPointer<QProcess> process;
    // What scrcpy printed last, to explain an end nobody asked for.
    QStringList lastLines;

    bool isRunning() const { return process && process->state() != QProcess::NotRunning; }
};

// How one launch may differ from the application's own: what a power user asks for on the command line.
struct LaunchOptions
{
    // Walk down the safer variants when an attempt dies at once; without it there is one attempt.
    bool fallback = true;
    // Remember the variant that started as the device's learned profile.
    bool learn = true;
    // The file a recording record writes to, instead of a new one in the recordings folder.
    std::optional<QString> recordingPath;
    // Given to scrcpy after everything else, unchecked.
    QStringList extraArguments;
};

struct LaunchResult
{
    bool started = true;
    bool fallbackUsed = false;
    int attempts = 1;
    QString commandPreview;
    std::optional<QString> recordingPath;
    QString message;

    bool operator==(const LaunchResult &) const = default;
};

struct SessionStatus
{
    bool active = false;
    std::optional<QString> serial;
    std::optional<QString> mode;
    std::optional<LaunchConfig> appliedConfig;

    bool operator==(const SessionStatus &) const = default;
};

// When the floating session terminal is offered.
namespace SessionConsolePolicy {
inline bool showsFloatingTerminal(bool startsSession, bool sessionActive, bool launching, bool hasLogs)
{
    return startsSession && (sessionActive || launching || hasLogs);
}
} // namespace SessionConsolePolicy

} // namespace quorvane
