#pragma once

#include "Errors.h"

#include <QJsonDocument>
#include <QString>

#include <functional>
#include <optional>

namespace quorvane::JsonFile {

// A store file that is there but is not JSON, or not what its store's decoder accepts.
class UnreadableFile final : public Error
{
public:
    UnreadableFile(QString path, const QString &reason);
    const QString &path() const noexcept { return m_path; }

private:
    QString m_path;
};

// Reads the whole file. Absent when the file does not exist; FileSystemError when it cannot be opened,
// UnreadableFile when it is not JSON, so each store can decide how forgiving it is.
std::optional<QJsonDocument> read(const QString &path);

// Replaces the file atomically with the pretty-printed document (QJsonObject keeps keys sorted).
// Throws FileSystemError with the operating system's text on failure.
void write(const QString &path, const QJsonDocument &document);

// What update does with a file it cannot parse: keep it under a new name and start afresh, or stop with
// UnreadableFile and leave it where it is (for a file that holds the only copy of something).
enum class Unreadable { MoveAside, Refuse };

// The store's strict decoder: throws any exception when a parsed document is not a store it can read.
using Check = std::function<void(const QJsonDocument &)>;
// Gets the current document (absent: no file yet, or a bad one just moved aside) and returns the one to
// write, or nothing to leave the file as it is.
using Change = std::function<std::optional<QJsonDocument>(std::optional<QJsonDocument>)>;

// One read-change-write that no other process interleaves with: holds "<path>.lock" (a lock left by a
// process that died, or older than a few seconds, is taken over) and reads the file inside it, so that
// concurrent writers each see the other's update. A file that cannot be parsed is renamed to
// "<name>.corrupt-<yyyyMMdd-HHmmss>" (never over an earlier copy) and reported through the notice hook.
// storeName says in words what the file holds ("learned profiles"). FileSystemError when the lock cannot
// be had or the write fails; UnreadableFile under Unreadable::Refuse.
void update(const QString &path, const QString &storeName, const Check &check, const Change &change,
            Unreadable unreadable = Unreadable::MoveAside);

// Copies the file as it is now to "<path>.by-address", once: the copy is never replaced, so the file as an
// older Quorvane wrote it stays readable after its entries were moved to the phones' hardware serials.
// Called inside update's change, under its lock. Never fails: the move itself keeps every entry.
void keepOriginal(const QString &path);

// Receives one plain sentence for the user each time a store file is moved aside. Process-wide, installed
// by the front end (the app model, quorvanectl); none by default.
using NoticeHook = std::function<void(const QString &sentence)>;
void setNoticeHook(NoticeHook hook);

} // namespace quorvane::JsonFile
