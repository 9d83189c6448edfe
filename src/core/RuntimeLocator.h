#pragma once

#include "Models.h"
#include "ProcessRunner.h"
#include "ToolPaths.h"
#include "ToolVersion.h"

#include <QString>
#include <QStringList>

#include <QCoroTask>

#include <optional>

namespace quorvane {

enum class RuntimeSource { Override, Bundled, External, Path };

QString toString(RuntimeSource source);

struct ToolResolution
{
    std::optional<QString> path;
    std::optional<RuntimeSource> source;
};

// Decides which executable stands for adb or scrcpy: the user's override, the copy beside our own
// executable, the well-known install directories, then PATH.
struct RuntimeLocator
{
    std::optional<QString> adbOverride;
    std::optional<QString> scrcpyOverride;

    std::optional<QString> resolveTool(const QString &name) const;

    // What the user sees about the tools: presence, paths and version lines.
    QCoro::Task<RuntimeStatus> probeStatus() const;
    // The release of the adb at `executable`, absent when it cannot be run or names none.
    static QCoro::Task<std::optional<ToolVersion>> adbRelease(QString executable);

    // The sentences that say a tool cannot be used and how to put that right. Only a bundle that
    // should carry the tool speaks of a damaged copy; anywhere else they name what to install.
    static QString adbMissing();
    // Why the scrcpy at `path` (absent: none found) whose version line named `release` (absent: none)
    // cannot run our sessions; absent when it can.
    static std::optional<QString> scrcpyProblem(const std::optional<QString> &path,
                                                const std::optional<ToolVersion> &release);
    // The release of the scrcpy at `executable`, asked once while the file stays the same.
    static QCoro::Task<std::optional<ToolVersion>> scrcpyRelease(QString executable);
    // ScrcpyError::runtimeMissing with scrcpyProblem's sentence when `executable` cannot run a session.
    static QCoro::Task<void> requireUsableScrcpy(QString executable);
    // Tests change what one simulator file answers without changing the file.
    static void forgetScrcpyReleases();

    static ToolResolution resolveWithSource(const QString &base, const std::optional<QString> &override);
    static std::optional<QString> resolve(const QString &base, const std::optional<QString> &override);

    static std::optional<QString> bundledDirectory();
    // Where the tools of a runtime shipped with the executable in `directory` are: that directory itself,
    // or `<directory>/../share/quorvane` where an installed copy keeps an unpacked scrcpy release. Each
    // must hold both tools: a folder with only one counts as no runtime at all.
    static std::optional<QString> bundledRuntimeIn(const QString &directory);
    static std::optional<QString> bundledServerPath();
    static QStringList wellKnownDirectories();

    // What every scrcpy run needs on top of our environment so it uses our adb (two adb servers would
    // kill each other) and the server file that matches it: the in-bundle runtime when there is one,
    // else the resolved adb when it is an absolute path.
    static Environment scrcpyEnvironment(const ToolPaths &paths);

    // Process-wide seams: tests stand a temporary folder in for the bundle and for the install folders.
    static void setBundledDirectoryOverride(std::optional<QString> directory);
    static void setWellKnownDirectoriesOverride(std::optional<QStringList> directories);
};

} // namespace quorvane
