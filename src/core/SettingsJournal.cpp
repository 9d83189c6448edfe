#include "SettingsJournal.h"

#include "AppPaths.h"
#include "JsonFile.h"

#include <QCoreApplication>
#include <QJsonArray>

#include <cerrno>
#include <csignal>
#include <stdexcept>

namespace quorvane {

namespace {

const QString changesKey = QStringLiteral("changes");

bool sameSetting(const JournalEntry &entry, const QString &serial, const QString &settingNamespace,
                 const QString &key)
{
    return entry.serial == serial && entry.settingNamespace == settingNamespace && entry.key == key;
}

// A process we cannot signal for want of permission still runs; only "no such process" means gone.
bool processAlive(qint64 pid)
{
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

std::optional<JournalEntry> entryFromJson(const QJsonValue &value)
{
    const QJsonObject object = value.toObject();
    const QJsonValue previous = object.value(QStringLiteral("previous"));
    JournalEntry entry;
    for (auto [name, field] :
         {std::pair{"serial", &entry.serial}, std::pair{"namespace", &entry.settingNamespace},
          std::pair{"key", &entry.key}}) {
        const QJsonValue text = object.value(QLatin1String(name));
        if (!text.isString())
            return std::nullopt;
        *field = text.toString();
    }
    if (!previous.isString() && !previous.isNull())
        return std::nullopt;
    if (previous.isString())
        entry.previous = SettingBackup{previous.toString()};
    entry.changedAt =
        QDateTime::fromString(object.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
    entry.ownerPid = object.value(QStringLiteral("pid")).toInteger();
    return entry;
}

QJsonObject entryToJson(const JournalEntry &entry)
{
    return {{QStringLiteral("serial"), entry.serial},
            {QStringLiteral("namespace"), entry.settingNamespace},
            {QStringLiteral("key"), entry.key},
            {QStringLiteral("previous"),
             entry.previous.value ? QJsonValue(*entry.previous.value) : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("time"), entry.changedAt.toUTC().toString(Qt::ISODateWithMs)},
            {QStringLiteral("pid"), entry.ownerPid}};
}

QString settingName(const QString &key)
{
    if (key == QLatin1String("show_touches"))
        return QStringLiteral("show touches");
    if (key == QLatin1String("stay_on_while_plugged_in"))
        return QStringLiteral("stay awake");
    return key;
}

} // namespace

SettingsJournal::SettingsJournal(std::optional<QString> path)
    : m_path(std::move(path))
{
}

QString SettingsJournal::path() const
{
    return m_path ? *m_path : AppPaths::settingsJournalFile();
}

std::optional<QList<JournalEntry>> SettingsJournal::fromJson(const QJsonObject &object)
{
    const QJsonValue changes = object.value(changesKey);
    if (!changes.isArray())
        return std::nullopt;
    QList<JournalEntry> entries;
    for (const QJsonValue &value : changes.toArray()) {
        const auto entry = entryFromJson(value);
        if (!entry)
            return std::nullopt;
        entries.append(*entry);
    }
    return entries;
}

QJsonObject SettingsJournal::toJson(const QList<JournalEntry> &entries)
{
    QJsonArray changes;
    for (const JournalEntry &entry : entries)
        changes.append(entryToJson(entry));
    return {{changesKey, changes}};
}

QList<JournalEntry> SettingsJournal::entries() const
{
    try {
        const auto document = JsonFile::read(path());
        if (document && document->isObject())
            return fromJson(document->object()).value_or(QList<JournalEntry>{});
    } catch (const std::exception &) {
    }
    return {};
}

// Under the store lock, so the application and quorvanectl changing settings at once keep each other's
// entries; an unreadable journal is kept aside rather than overwritten.
void SettingsJournal::change(const std::function<void(QList<JournalEntry> &)> &edit) const
{
    const auto decode = [](const QJsonDocument &document) {
        const auto entries = document.isObject() ? fromJson(document.object()) : std::nullopt;
        if (!entries)
            throw std::runtime_error("not a settings journal");
        return *entries;
    };
    JsonFile::update(
        path(), QStringLiteral("settings journal"),
        [&decode](const QJsonDocument &document) { decode(document); },
        [&](std::optional<QJsonDocument> document) -> std::optional<QJsonDocument> {
            QList<JournalEntry> current = document ? decode(*document) : QList<JournalEntry>{};
            edit(current);
            return QJsonDocument(toJson(current));
        });
}

SettingBackup SettingsJournal::record(const QString &serial, const QString &settingNamespace,
                                      const QString &key, const SettingBackup &previous) const
{
    SettingBackup kept = previous;
    change([&](QList<JournalEntry> &entries) {
        for (const JournalEntry &entry : std::as_const(entries)) {
            if (sameSetting(entry, serial, settingNamespace, key)) {
                kept = entry.previous;
                return;
            }
        }
        entries.append({serial, settingNamespace, key, previous, QDateTime::currentDateTimeUtc(),
                        QCoreApplication::applicationPid()});
    });
    return kept;
}

void SettingsJournal::clear(const QString &serial, const QString &settingNamespace, const QString &key) const
{
    try {
        change([&](QList<JournalEntry> &entries) {
            entries.removeIf(
                [&](const JournalEntry &entry) { return sameSetting(entry, serial, settingNamespace, key); });
        });
    } catch (const std::exception &) {
    }
}

QList<JournalEntry> SettingsJournal::leftovers(const QString &serial) const
{
    QList<JournalEntry> found;
    const qint64 self = QCoreApplication::applicationPid();
    for (const JournalEntry &entry : entries()) {
        if (entry.serial == serial && (entry.ownerPid == self || !processAlive(entry.ownerPid)))
            found.append(entry);
    }
    return found;
}

QCoro::Task<bool> SettingsJournal::putBack(ADBService adb, JournalEntry entry) const
{
    QStringList arguments{QStringLiteral("settings")};
    if (entry.previous.value)
        arguments << QStringLiteral("put") << entry.settingNamespace << entry.key << *entry.previous.value;
    else
        arguments << QStringLiteral("delete") << entry.settingNamespace << entry.key;
    // Copied before the wait: the journal that started this may be gone when adb answers.
    const SettingsJournal journal = *this;
    try {
        co_await adb.shell(entry.serial, arguments);
    } catch (const std::exception &) {
        co_return false;
    }
    journal.clear(entry.serial, entry.settingNamespace, entry.key);
    co_return true;
}

QCoro::Task<std::optional<QString>> SettingsJournal::putBackLeftovers(ToolPaths paths, QString serial) const
{
    const SettingsJournal journal = *this;
    const ADBService adb{std::move(paths)};
    QStringList restored;
    for (const JournalEntry &entry : journal.leftovers(serial)) {
        QCoro::Task<bool> putting = journal.putBack(adb, entry);
        if (co_await std::move(putting))
            restored.append(entry.key);
    }
    if (restored.isEmpty())
        co_return std::nullopt;
    co_return putBackMessage(serial, restored);
}

QString SettingsJournal::putBackMessage(const QString &serial, const QStringList &keys)
{
    QStringList names;
    for (const QString &key : keys)
        names.append(settingName(key));
    const QString last = names.takeLast();
    const QString listed =
        names.isEmpty() ? last : names.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
    return QStringLiteral("Put back %1 on %2, which Quorvane had changed before it was interrupted.")
        .arg(listed, serial);
}

} // namespace quorvane
