#pragma once

#include "ADBService.h"
#include "SessionRecords.h"
#include "ToolPaths.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <QCoroTask>

#include <functional>
#include <optional>

namespace quorvane {

// One phone setting we changed and have not put back yet.
struct JournalEntry
{
    QString serial;
    QString settingNamespace;
    QString key;
    SettingBackup previous;
    QDateTime changedAt;
    // The process that made the change: while it lives, the setting is its business, not a leftover.
    qint64 ownerPid = 0;

    bool operator==(const JournalEntry &) const = default;
};

// "settings-journal.json": every phone setting we change outside scrcpy is written here before the change
// and struck off after it was put back, so a crash or a kill never leaves a phone changed for good: the
// next start that meets the phone puts it back.
class SettingsJournal
{
public:
    // The application folder's journal unless a file is named.
    explicit SettingsJournal(std::optional<QString> path = std::nullopt);

    // Called before the change. Returns the value to put back later: a key already journalled keeps the
    // value it had before its first change. Throws FileSystemError when the entry could not be made
    // durable; the change must then not be made.
    SettingBackup record(const QString &serial, const QString &settingNamespace, const QString &key,
                         const SettingBackup &previous) const;
    // Never fails: an entry that stays only puts the same value back once more later.
    void clear(const QString &serial, const QString &settingNamespace, const QString &key) const;
    // Never fails: a missing, unreadable or malformed journal holds nothing.
    QList<JournalEntry> entries() const;
    // The phone's entries whose process is gone, or is this one (the caller knows its own sessions).
    QList<JournalEntry> leftovers(const QString &serial) const;

    // Writes the entry's previous value back (deletes a setting that had none) and strikes the entry off
    // once the phone took it. False when adb failed: the entry stays for the next time.
    QCoro::Task<bool> putBack(ADBService adb, JournalEntry entry) const;
    // Puts back every leftover of the phone. Returns the sentence telling the user what was put back,
    // absent when nothing was.
    QCoro::Task<std::optional<QString>> putBackLeftovers(ToolPaths paths, QString serial) const;

    static QString putBackMessage(const QString &serial, const QStringList &keys);
    // Strict: "changes" is required and every entry needs its texts and a string-or-null "previous".
    static std::optional<QList<JournalEntry>> fromJson(const QJsonObject &object);
    static QJsonObject toJson(const QList<JournalEntry> &entries);

private:
    // The journal's only read-change-write, so its locking lives in one place.
    void change(const std::function<void(QList<JournalEntry> &)> &edit) const;
    QString path() const;

    std::optional<QString> m_path;
};

} // namespace quorvane
