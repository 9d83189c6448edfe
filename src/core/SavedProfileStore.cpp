#include "SavedProfileStore.h"

#include "AppPaths.h"
#include "JsonDecoder.h"
#include "JsonFile.h"

#include <QJsonArray>

namespace quorvane {

namespace {

const QString profilesKey = QStringLiteral("profiles");

QList<SavedProfile> decode(const QJsonDocument &document)
{
    const JsonDecoder store = JsonDecoder::of(document);
    const QJsonArray entries = store.array(profilesKey);
    QList<SavedProfile> profiles;
    for (qsizetype i = 0; i < entries.size(); ++i)
        profiles.append(
            SavedProfile::fromJson(store.element(entries[i], QStringLiteral("profiles[%1]").arg(i))));
    return profiles;
}

} // namespace

QString SavedProfileStore::url()
{
    return AppPaths::savedProfilesFile();
}

QList<SavedProfile> SavedProfileStore::load() const
{
    try {
        const auto document = JsonFile::read(url());
        return document ? decode(*document) : QList<SavedProfile>();
    } catch (const std::exception &) {
        return {};
    }
}

void SavedProfileStore::save(const QList<SavedProfile> &profiles) const
{
    QJsonArray entries;
    for (const SavedProfile &profile : profiles)
        entries.append(profile.toJson());
    // The list is the application's whole state of the presets, so it replaces what is there; a file that
    // cannot be read is kept aside rather than overwritten.
    const QJsonDocument document(QJsonObject{{profilesKey, entries}});
    JsonFile::update(
        url(), QStringLiteral("presets"), [](const QJsonDocument &current) { decode(current); },
        [&document](std::optional<QJsonDocument>) { return std::optional(document); });
}

} // namespace quorvane
