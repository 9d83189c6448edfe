#include "LearnedProfile.h"

#include "JsonDecoder.h"

namespace quorvane {

QJsonObject LearnedProfile::toJson() const
{
    return {{QStringLiteral("maxSize"), qint64(maxSize)},
            {QStringLiteral("maxFps"), qint64(maxFps)},
            {QStringLiteral("codec"), codec},
            {QStringLiteral("audio"), audio}};
}

LearnedProfile LearnedProfile::fromJson(const JsonDecoder &json)
{
    return {json.uint32(QStringLiteral("maxSize")), json.uint32(QStringLiteral("maxFps")),
            json.string(QStringLiteral("codec")), json.boolean(QStringLiteral("audio"))};
}

} // namespace quorvane
