#include "AppPaths.h"

#include "Errors.h"

#include <QDir>
#include <QStandardPaths>

#include <filesystem>

namespace quorvane::AppPaths {

namespace {

QString systemFolder(QStandardPaths::StandardLocation location)
{
    const QString folder = QStandardPaths::writableLocation(location);
    if (folder.isEmpty())
        throw FileSystemError(
            QStringLiteral("Could not locate the %1 folder.").arg(QStandardPaths::displayName(location)));
    return ensureFolder(folder);
}

QString inAppFolder(const QString &name)
{
    return appSupportFolder() + QLatin1Char('/') + name;
}

} // namespace

QString ensureFolder(const QString &path)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path.toStdString()), error);
    if (error)
        throw FileSystemError(QStringLiteral("Could not create the folder “%1”: %2.")
                                  .arg(path, QString::fromStdString(error.message())));
    return path;
}

QString appSupportFolder()
{
    return ensureFolder(systemFolder(QStandardPaths::GenericDataLocation) + QStringLiteral("/Quorvane"));
}

QString learnedProfilesFile()
{
    return inAppFolder(QStringLiteral("learned-profiles.json"));
}

QString savedProfilesFile()
{
    return inAppFolder(QStringLiteral("saved-profiles.json"));
}

QString wirelessDevicesFile()
{
    return inAppFolder(QStringLiteral("wireless-devices.json"));
}

QString desktopBackupFile()
{
    return inAppFolder(QStringLiteral("desktop-settings-backup.json"));
}

QString settingsJournalFile()
{
    return inAppFolder(QStringLiteral("settings-journal.json"));
}

QString desktopDiagnosticsFolder()
{
    return ensureFolder(inAppFolder(QStringLiteral("Desktop Diagnostics")));
}

QString mediaRoot(const std::optional<QString> &override)
{
    const QString root =
        override ? *override : systemFolder(QStandardPaths::MoviesLocation) + QStringLiteral("/Quorvane");
    ensureFolder(root + QStringLiteral("/Recordings"));
    ensureFolder(root + QStringLiteral("/Screenshots"));
    return root;
}

QString moviesFolderForDisplay()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    const QString home = QDir::homePath();
    if (folder == home || folder.startsWith(home + QLatin1Char('/')))
        return QLatin1Char('~') + folder.mid(home.size());
    return folder;
}

} // namespace quorvane::AppPaths
