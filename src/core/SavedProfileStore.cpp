#include "SavedProfileStore.h"

#include "AppPaths.h"
#include "JsonDecoder.h"
#include "JsonFile.h"

#include <QJsonArray>

namespace quorvane {

namespace {

const QString profilesKey = QStringLiteral("profiles");

} // namespace

QString SavedProfileStore::url()
{
    return AppPaths::savedProfilesFile();
}

QList<SavedProfile> SavedProfileStore::load() const
{
    try {
        const auto document = JsonFile::read(url());
        if (!document)
            return {};
        const JsonDecoder store = JsonDecoder::of(*document);
        const QJsonArray entries = store.array(profilesKey);
        QList<SavedProfile> profiles;
        for (qsizetype i = 0; i < entries.size(); ++i)
            profiles.append(
                SavedProfile::fromJson(store.element(entries[i], QStringLiteral("profiles[%1]").arg(i))));
        return profiles;
    } catch (const std::exception &) {
        return {};
    }
}

void SavedProfileStore::save(const QList<SavedProfile> &profiles) const
{
    QJsonArray entries;
    for (const SavedProfile &profile : profiles)
        entries.append(profile.toJson());
    JsonFile::write(url(), QJsonDocument(QJsonObject{{profilesKey, entries}}));
}

} // namespace quorvane
