#include "AdbInstallations.h"

#include "ProcessRunner.h"
#include "RuntimeLocator.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace quorvane::AdbInstallations {

namespace {

std::optional<QStringList> &foldersOverride()
{
    static std::optional<QStringList> folders;
    return folders;
}

QStringList sdkFolders()
{
    QStringList folders;
    for (const char *variable : {"ANDROID_HOME", "ANDROID_SDK_ROOT"}) {
        const QString root = qEnvironmentVariable(variable);
        if (!root.isEmpty())
            folders << root + QStringLiteral("/platform-tools");
    }
    const QString home = QDir::homePath();
    folders << home + QStringLiteral("/Android/Sdk/platform-tools")
            << home + QStringLiteral("/Library/Android/sdk/platform-tools")
            << QStringLiteral("/usr/lib/android-sdk/platform-tools");
    return folders;
}

} // namespace

void setFoldersOverride(std::optional<QStringList> folders)
{
    foldersOverride() = std::move(folders);
}

QStringList candidates()
{
    QStringList folders = RuntimeLocator::wellKnownDirectories();
    folders += sdkFolders();
    folders += qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (foldersOverride())
        folders = *foldersOverride();
    QStringList found;
    QSet<QString> files;
    for (const QString &folder : std::as_const(folders)) {
        const QString path = QDir::cleanPath(folder + QStringLiteral("/adb"));
        if (!ProcessRunner::isUsableExecutable(path))
            continue;
        // Links to one file are kept: their versions agree, so they never count as a conflict.
        if (files.contains(path))
            continue;
        files << path;
        found << path;
    }
    return found;
}

QCoro::Task<QList<Installed>> otherVersions(QString configured)
{
    const std::optional<ToolVersion> own = co_await RuntimeLocator::adbRelease(configured);
    QList<Installed> others;
    if (!own)
        co_return others;
    const QString ownPath = QFileInfo(configured).absoluteFilePath();
    for (const QString &candidate : candidates()) {
        if (QFileInfo(candidate).absoluteFilePath() == ownPath)
            continue;
        const std::optional<ToolVersion> release = co_await RuntimeLocator::adbRelease(candidate);
        if (release && *release != *own)
            others.append({candidate, *release});
    }
    co_return others;
}

} // namespace quorvane::AdbInstallations
