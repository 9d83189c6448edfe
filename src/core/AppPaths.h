#pragma once

#include <QString>

#include <optional>

namespace quorvane {

// The one place that names the application's folders and data files. Each call creates the folders it
// returns, so callers can write at once; failures are FileSystemError with the operating system's text.
namespace AppPaths {

// Creates the folder with any missing parents and returns it.
QString ensureFolder(const QString &path);

QString appSupportFolder();
QString learnedProfilesFile();
QString savedProfilesFile();
QString wirelessDevicesFile();
QString desktopBackupFile();
QString settingsJournalFile();
QString desktopDiagnosticsFolder();
// The user's media root when given, else the default; its Recordings and Screenshots folders exist after.
QString mediaRoot(const std::optional<QString> &override);
// The system's movies folder as the user knows it ("~/Videos" on Linux, "~/Movies" on macOS), for texts that
// say where media goes by default. Creates nothing.
QString moviesFolderForDisplay();

} // namespace AppPaths
} // namespace quorvane
