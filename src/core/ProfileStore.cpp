#include "ProfileStore.h"

#include "AppPaths.h"
#include "JsonDecoder.h"
#include "JsonFile.h"

#include <QMap>

#include <functional>

namespace quorvane {

namespace {

const QString profilesKey = QStringLiteral("profiles");

using LearnedProfiles = QMap<QString, LearnedProfile>;

// The whole store or an exception: a half-read store would silently drop entries on the next write.
LearnedProfiles decode(const QJsonDocument &document)
{
    const JsonDecoder store = JsonDecoder::of(document);
    const JsonDecoder entries = store.nested(profilesKey);
    LearnedProfiles profiles;
    for (const QString &key : store.object(profilesKey).keys())
        profiles.insert(key, LearnedProfile::fromJson(entries.nested(key)));
    return profiles;
}

QJsonDocument encode(const LearnedProfiles &profiles)
{
    QJsonObject entries;
    for (auto it = profiles.cbegin(); it != profiles.cend(); ++it)
        entries.insert(it.key(), it->toJson());
    return QJsonDocument(QJsonObject{{profilesKey, entries}});
}

std::optional<LearnedProfiles> readStore()
{
    try {
        const auto document = JsonFile::read(AppPaths::learnedProfilesFile());
        if (!document)
            return std::nullopt;
        return decode(*document);
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

// Moves the entries of phone's transport serial under its hardware serial; true when anything moved.
bool moveToHardwareSerial(LearnedProfiles &profiles, const PhoneIdentity &phone)
{
    if (!phone.movesFromTransportSerial())
        return false;
    const QString oldPrefix = ProfileStore::key(phone.serial, QString());
    bool moved = false;
    for (const QString &oldKey : profiles.keys()) {
        if (!oldKey.startsWith(oldPrefix))
            continue;
        const QString newKey = ProfileStore::key(phone.key(), oldKey.mid(oldPrefix.size()));
        if (profiles.contains(newKey))
            continue;
        profiles.insert(newKey, profiles.take(oldKey));
        moved = true;
    }
    return moved;
}

void updateStore(const std::function<std::optional<LearnedProfiles>(LearnedProfiles)> &change)
{
    JsonFile::update(
        AppPaths::learnedProfilesFile(), QStringLiteral("learned profiles"),
        [](const QJsonDocument &document) { decode(document); },
        [&change](std::optional<QJsonDocument> current) -> std::optional<QJsonDocument> {
            const auto changed = change(current ? decode(*current) : LearnedProfiles());
            return changed ? std::optional(encode(*changed)) : std::nullopt;
        });
}

} // namespace

QString ProfileStore::key(const QString &serial, const QString &mode)
{
    return serial + QChar(0x1F) + mode;
}

std::optional<LearnedProfile> ProfileStore::load(const PhoneIdentity &phone, const QString &mode) const
{
    const auto profiles = readStore();
    if (!profiles)
        return std::nullopt;
    for (const QString &name : {phone.key(), phone.serial}) {
        const auto it = profiles->constFind(key(name, mode));
        if (it != profiles->cend())
            return *it;
    }
    return std::nullopt;
}

QList<ProfileStore::Entry> ProfileStore::list() const
{
    QList<Entry> entries;
    const auto profiles = readStore();
    if (!profiles)
        return entries;
    for (auto it = profiles->cbegin(); it != profiles->cend(); ++it) {
        const qsizetype separator = it.key().lastIndexOf(QChar(0x1F));
        // A key written by hand without the separator names no phone and mode we could offer to forget.
        if (separator >= 0)
            entries.append({it.key().left(separator), it.key().mid(separator + 1), *it});
    }
    return entries;
}

QStringList ProfileStore::forget(const PhoneIdentity &phone, const std::optional<QString> &mode) const
{
    QStringList removed;
    const auto change = [&](std::optional<QJsonDocument> current) -> std::optional<QJsonDocument> {
        removed.clear();
        if (!current)
            return std::nullopt;
        LearnedProfiles profiles = decode(*current);
        for (const QString &name : {phone.key(), phone.serial}) {
            const QString prefix = key(name, QString());
            profiles.removeIf([&](const auto &entry) {
                const bool matches =
                    entry.key().startsWith(prefix) && (!mode || entry.key() == key(name, *mode));
                if (matches && !removed.contains(entry.key().mid(prefix.size())))
                    removed.append(entry.key().mid(prefix.size()));
                return matches;
            });
        }
        if (removed.isEmpty())
            return std::nullopt;
        return encode(profiles);
    };
    JsonFile::update(
        AppPaths::learnedProfilesFile(), QStringLiteral("learned profiles"),
        [](const QJsonDocument &document) { decode(document); }, change);
    return removed;
}

void ProfileStore::remember(const LaunchConfig &config, const PhoneIdentity &phone) const
{
    updateStore([&](LearnedProfiles profiles) -> std::optional<LearnedProfiles> {
        if (moveToHardwareSerial(profiles, phone))
            JsonFile::keepOriginal(AppPaths::learnedProfilesFile());
        profiles.insert(key(phone.key(), config.mode),
                        LearnedProfile{config.maxSize, config.maxFps, config.codec, config.audio});
        return profiles;
    });
}

void ProfileStore::adopt(const PhoneIdentity &phone) const
{
    if (!phone.movesFromTransportSerial())
        return;
    try {
        updateStore([&phone](LearnedProfiles profiles) -> std::optional<LearnedProfiles> {
            if (!moveToHardwareSerial(profiles, phone))
                return std::nullopt;
            JsonFile::keepOriginal(AppPaths::learnedProfilesFile());
            return profiles;
        });
    } catch (const std::exception &) {
        // Nothing is lost: the entries are still found under the address until a later move succeeds.
    }
}

} // namespace quorvane
