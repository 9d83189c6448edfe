#include "ProfileStore.h"

#include "AppPaths.h"
#include "JsonDecoder.h"
#include "JsonFile.h"

#include <QMap>

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

} // namespace

QString ProfileStore::key(const QString &serial, const QString &mode)
{
    return serial + QChar(0x1F) + mode;
}

std::optional<LearnedProfile> ProfileStore::load(const QString &serial, const QString &mode) const
{
    const auto profiles = readStore();
    if (!profiles)
        return std::nullopt;
    const auto it = profiles->constFind(key(serial, mode));
    return it == profiles->cend() ? std::nullopt : std::optional<LearnedProfile>(*it);
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

QStringList ProfileStore::forget(const QString &serial, const std::optional<QString> &mode) const
{
    QStringList removed;
    const auto change = [&](std::optional<QJsonDocument> current) -> std::optional<QJsonDocument> {
        removed.clear();
        if (!current)
            return std::nullopt;
        LearnedProfiles profiles = decode(*current);
        profiles.removeIf([&](const auto &entry) {
            const QString prefix = key(serial, QString());
            const bool matches =
                entry.key().startsWith(prefix) && (!mode || entry.key() == key(serial, *mode));
            if (matches)
                removed.append(entry.key().mid(prefix.size()));
            return matches;
        });
        if (removed.isEmpty())
            return std::nullopt;
        return encode(profiles);
    };
    JsonFile::update(
        AppPaths::learnedProfilesFile(), QStringLiteral("learned profiles"),
        [](const QJsonDocument &document) { decode(document); }, change);
    return removed;
}

void ProfileStore::remember(const LaunchConfig &config) const
{
    const auto change = [&config](std::optional<QJsonDocument> current) {
        LearnedProfiles profiles = current ? decode(*current) : LearnedProfiles();
        profiles.insert(key(config.serial, config.mode),
                        LearnedProfile{config.maxSize, config.maxFps, config.codec, config.audio});
        return std::optional(encode(profiles));
    };
    JsonFile::update(
        AppPaths::learnedProfilesFile(), QStringLiteral("learned profiles"),
        [](const QJsonDocument &document) { decode(document); }, change);
}

} // namespace quorvane
