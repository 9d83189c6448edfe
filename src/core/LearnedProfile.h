#pragma once

#include <QJsonObject>
#include <QString>

namespace quorvane {

class JsonDecoder;

// The video settings that last started successfully on one device in one mode.
struct LearnedProfile
{
    quint32 maxSize = 0;
    quint32 maxFps = 0;
    // As the working configuration held it, not normalised.
    QString codec;
    bool audio = false;

    bool operator==(const LearnedProfile &) const = default;

    QJsonObject toJson() const;
    // All four members are required; DecodingError names the one at fault.
    static LearnedProfile fromJson(const JsonDecoder &json);
};

} // namespace quorvane
