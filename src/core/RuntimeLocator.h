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

    static ToolResolution resolveWithSource(const QString &base, const std::optional<QString> &override);
    static std::optional<QString> resolve(const QString &base, const std::optional<QString> &override);

    static std::optional<QString> bundledDirectory();
    // directory itself when it holds both tools: a bundle with only one counts as no bundle at all.
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
