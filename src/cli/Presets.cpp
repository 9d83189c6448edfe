#include "Presets.h"

#include "Errors.h"

#include <algorithm>
#include <iterator>

namespace quorvane::cli {

SavedProfile findPreset(const QList<SavedProfile> &presets, const QString &nameOrId)
{
    QList<SavedProfile> named;
    std::copy_if(presets.cbegin(), presets.cend(), std::back_inserter(named),
                 [&nameOrId](const SavedProfile &preset) { return preset.name == nameOrId; });
    if (named.size() == 1)
        return named.first();
    if (named.size() > 1) {
        QStringList ids;
        for (const SavedProfile &preset : named)
            ids << preset.id.toString(QUuid::WithoutBraces).toUpper();
        throw ScrcpyError::invalidInput(
            QStringLiteral("Several presets are named %1: name one by its id (%2).")
                .arg(nameOrId, ids.join(QStringLiteral(", "))));
    }
    const QUuid id = QUuid::fromString(nameOrId);
    const auto byId = std::find_if(presets.cbegin(), presets.cend(), [&id](const SavedProfile &preset) {
        return !id.isNull() && preset.id == id;
    });
    if (byId == presets.cend())
        throw ScrcpyError::invalidInput(QStringLiteral("No preset is named %1.").arg(nameOrId));
    return *byId;
}

void applyPreset(const SavedProfile &preset, LaunchConfig &config)
{
    config.maxSize = preset.maxSize;
    config.maxFps = preset.maxFps;
    config.codec = preset.codec;
    bool isNumber = false;
    const double bitRate = preset.bitrate.toDouble(&isNumber);
    if (isNumber)
        config.videoBitRate = LaunchConfig::roundedBitRate(bitRate);
    config.audio = preset.audio;
}

SavedProfile presetFrom(const LaunchConfig &config, const QString &name)
{
    return {QUuid::createUuid(),
            name,
            config.mode,
            config.maxSize,
            config.maxFps,
            config.codec,
            SavedProfile::bitrateText(config.videoBitRate),
            config.audio};
}

} // namespace quorvane::cli
