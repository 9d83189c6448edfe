#include "DesktopBackupStore.h"

#include "AppPaths.h"
#include "JsonDecoder.h"
#include "JsonFile.h"

namespace quorvane {

namespace {

std::optional<DesktopSettingsBackup> backupFromJson(const QJsonValue &value)
{
    const QJsonValue settings = value.toObject().value(QStringLiteral("settings"));
    if (!value.isObject() || !settings.isObject())
        return std::nullopt;
    DesktopSettingsBackup backup;
    const QJsonObject object = settings.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.value().isString())
            backup.settings.insert(it.key(), it.value().toString());
        else if (it.value().isNull())
            backup.settings.insert(it.key(), std::nullopt);
        else
            return std::nullopt;
    }
    return backup;
}

QJsonObject backupToJson(const DesktopSettingsBackup &backup)
{
    QJsonObject settings;
    for (auto it = backup.settings.cbegin(); it != backup.settings.cend(); ++it)
        settings.insert(it.key(), it.value() ? QJsonValue(*it.value()) : QJsonValue(QJsonValue::Null));
    return {{QStringLiteral("settings"), settings}};
}

DesktopBackupStore decode(const QJsonDocument &document)
{
    if (auto store = DesktopBackupStore::fromJson(document.object()); store && document.isObject())
        return *store;
    throw DecodingError(QStringLiteral("it is not a list of desktop settings backups"));
}

} // namespace

std::optional<DesktopBackupStore> DesktopBackupStore::fromJson(const QJsonObject &object)
{
    const QJsonValue devices = object.value(QStringLiteral("devices"));
    if (!devices.isObject())
        return std::nullopt;
    DesktopBackupStore store;
    const QJsonObject entries = devices.toObject();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        const auto backup = backupFromJson(it.value());
        if (!backup)
            return std::nullopt;
        store.devices.insert(it.key(), *backup);
    }
    return store;
}

QJsonObject DesktopBackupStore::toJson() const
{
    QJsonObject entries;
    for (auto it = devices.cbegin(); it != devices.cend(); ++it)
        entries.insert(it.key(), backupToJson(it.value()));
    return {{QStringLiteral("devices"), entries}};
}

DesktopBackupStore DesktopBackupStore::read()
{
    try {
        return load();
    } catch (const std::exception &) {
    }
    return {};
}

DesktopBackupStore DesktopBackupStore::load()
{
    const QString path = AppPaths::desktopBackupFile();
    try {
        const auto document = JsonFile::read(path);
        return document ? decode(*document) : DesktopBackupStore{};
    } catch (const DecodingError &error) {
        throw JsonFile::UnreadableFile(path, error.text());
    }
}

void DesktopBackupStore::update(const std::function<bool(DesktopBackupStore &)> &change)
{
    // Refuse rather than start afresh: the file is the only copy of the phones' original settings.
    JsonFile::update(
        AppPaths::desktopBackupFile(), QStringLiteral("desktop settings backup"), &decode,
        [&change](std::optional<QJsonDocument> current) -> std::optional<QJsonDocument> {
            DesktopBackupStore store = current ? decode(*current) : DesktopBackupStore{};
            if (!change(store))
                return std::nullopt;
            return QJsonDocument(store.toJson());
        },
        JsonFile::Unreadable::Refuse);
}

void DesktopBackupStore::write() const
{
    try {
        JsonFile::write(AppPaths::desktopBackupFile(), QJsonDocument(toJson()));
    } catch (const std::exception &) {
    }
}

} // namespace quorvane
