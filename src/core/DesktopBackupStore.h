#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>

#include <functional>
#include <optional>

namespace quorvane {

// The phone's windowing settings as they were before the first enable; an absent value was unset.
struct DesktopSettingsBackup
{
    QMap<QString, std::optional<QString>> settings;

    bool operator==(const DesktopSettingsBackup &) const = default;
};

// "desktop-settings-backup.json": at most one backup per phone, filed under its stable device key.
struct DesktopBackupStore
{
    QMap<QString, DesktopSettingsBackup> devices;

    // Never fails: a missing, unreadable or malformed file is an empty store. For display only.
    static DesktopBackupStore read();
    // Strict: empty only when there is no file; JsonFile::UnreadableFile when it is there but is not a
    // store, FileSystemError when it cannot be opened.
    static DesktopBackupStore load();
    // Re-reads the store strictly while holding its lock and writes it back when change returns true, so
    // that a backup another process wrote meanwhile is never lost. Throws as load does (a bad file stays
    // where it is), and FileSystemError when the lock or the write fails.
    static void update(const std::function<bool(DesktopBackupStore &)> &change);
    // Never fails: a store that cannot be written keeps its old file.
    void write() const;

    // Strict: "devices" and every "settings" are required, values are strings or null.
    static std::optional<DesktopBackupStore> fromJson(const QJsonObject &object);
    QJsonObject toJson() const;

    bool operator==(const DesktopBackupStore &) const = default;
};

} // namespace quorvane
