#include "JsonFile.h"

#include "SafeFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

namespace quorvane::JsonFile {

namespace {

// Every read-change-write is a few milliseconds: a lock held much longer belongs to a process that hung.
constexpr int staleLockMs = 3000;
constexpr int lockWaitMs = 5000;

NoticeHook &noticeHook()
{
    static NoticeHook hook;
    return hook;
}

// The first free "<name>.corrupt-<time>[-n]" beside the file; QFile::rename never replaces a file.
QString moveAside(const QString &path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = path + QStringLiteral(".corrupt-") + stamp;
    QString target = base;
    for (int n = 2; !QFile::rename(path, target); ++n) {
        if (!QFile::exists(target))
            throw FileSystemError(
                QStringLiteral("%1 cannot be read and could not be moved aside.").arg(path));
        target = base + QStringLiteral("-%1").arg(n);
    }
    return target;
}

QString lockFailure(const QString &path, QLockFile::LockError error)
{
    if (error == QLockFile::LockFailedError)
        return QStringLiteral("%1 is kept busy by another Quorvane program; try again.").arg(path);
    if (error == QLockFile::PermissionError)
        return QStringLiteral("%1 could not be locked: permission denied.").arg(path);
    return QStringLiteral("%1 could not be locked.").arg(path);
}

} // namespace

UnreadableFile::UnreadableFile(QString path, const QString &reason)
    : Error(QStringLiteral("%1 cannot be read: %2").arg(path, reason))
    , m_path(std::move(path))
{
}

std::optional<QJsonDocument> read(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    // A folder in the file's place is not a bad file to move aside, just one that cannot be read.
    if (QFileInfo(path).isDir())
        throw FileSystemError(QStringLiteral("%1 is a folder.").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        throw FileSystemError(file.errorString());
    QJsonParseError parseError;
    QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw UnreadableFile(path, parseError.errorString());
    return document;
}

void write(const QString &path, const QJsonDocument &document)
{
    SafeFile::replaceWhole(path, document.toJson(QJsonDocument::Indented));
}

void update(const QString &path, const QString &storeName, const Check &check, const Change &change,
            Unreadable unreadable)
{
    QLockFile lock(path + QStringLiteral(".lock"));
    lock.setStaleLockTime(staleLockMs);
    if (!lock.tryLock(lockWaitMs))
        throw FileSystemError(lockFailure(path, lock.error()));

    std::optional<QJsonDocument> document;
    std::optional<QString> kept;
    try {
        document = read(path);
        if (document) {
            try {
                check(*document);
            } catch (const std::exception &refused) {
                throw UnreadableFile(path, QString::fromUtf8(refused.what()));
            }
        }
    } catch (const UnreadableFile &) {
        if (unreadable == Unreadable::Refuse)
            throw;
        kept = moveAside(path);
        document.reset();
    }
    // Said once, after the write, so that the sentence tells whether a new file really was started.
    const auto notice = [&](const QString &ending) {
        if (kept && noticeHook())
            noticeHook()(QStringLiteral("Your %1 file could not be read; it was kept as %2%3")
                             .arg(storeName, *kept, ending));
    };
    std::optional<QJsonDocument> changed;
    try {
        changed = change(std::move(document));
        if (changed)
            write(path, *changed);
    } catch (...) {
        notice(QStringLiteral("."));
        throw;
    }
    notice(changed ? QStringLiteral(" and a new one was started.") : QStringLiteral("."));
}

void keepOriginal(const QString &path)
{
    // QFile::copy never replaces an existing file.
    QFile::copy(path, path + QStringLiteral(".by-address"));
}

void setNoticeHook(NoticeHook hook)
{
    noticeHook() = std::move(hook);
}

} // namespace quorvane::JsonFile
