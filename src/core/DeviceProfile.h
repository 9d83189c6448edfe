#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

namespace quorvane {

class JsonDecoder;

// One hardware video encoder of a phone, as scrcpy lists it.
struct VideoEncoderInfo
{
    QString codec;
    QString name;

    bool operator==(const VideoEncoderInfo &) const = default;
};

// What an inspection learned about one phone: what the recommendation and the mode screens reason about.
struct DeviceProfile
{
    QString serial;
    QString model;
    QString brand;
    QString androidVersion;
    quint32 sdk = 0;
    std::optional<quint32> width;
    std::optional<quint32> height;
    std::optional<quint32> density;
    QString connectionKind;
    bool supportsAudio = false;
    bool supportsCamera = false;
    bool canAttemptVirtualDisplay = false;
    bool h265Available = false;
    bool av1Available = false;
    QList<VideoEncoderInfo> videoEncoders;
    // Who the phone is whichever way it is reached; absent when it does not say.
    std::optional<QString> hardwareSerial;

    bool operator==(const DeviceProfile &) const = default;

    // Field names as keys, absent sizes and hardware serial left out, encoders as an array of {codec, name}.
    QJsonObject toJson() const;
    // The strict reverse of toJson: DecodingError names the first missing or mistyped key.
    static DeviceProfile fromJson(const JsonDecoder &json);
};

} // namespace quorvane
