#include "DeviceProfile.h"

#include "JsonDecoder.h"

#include <QJsonArray>

namespace quorvane {

namespace {

void insertOptional(QJsonObject &object, const QString &key, const std::optional<quint32> &value)
{
    if (value)
        object.insert(key, qint64(*value));
}

} // namespace

QJsonObject DeviceProfile::toJson() const
{
    QJsonArray encoders;
    for (const VideoEncoderInfo &encoder : videoEncoders)
        encoders.append(
            QJsonObject{{QStringLiteral("codec"), encoder.codec}, {QStringLiteral("name"), encoder.name}});
    QJsonObject object{{QStringLiteral("serial"), serial},
                       {QStringLiteral("model"), model},
                       {QStringLiteral("brand"), brand},
                       {QStringLiteral("androidVersion"), androidVersion},
                       {QStringLiteral("sdk"), qint64(sdk)},
                       {QStringLiteral("connectionKind"), connectionKind},
                       {QStringLiteral("supportsAudio"), supportsAudio},
                       {QStringLiteral("supportsCamera"), supportsCamera},
                       {QStringLiteral("canAttemptVirtualDisplay"), canAttemptVirtualDisplay},
                       {QStringLiteral("h265Available"), h265Available},
                       {QStringLiteral("av1Available"), av1Available},
                       {QStringLiteral("videoEncoders"), encoders}};
    insertOptional(object, QStringLiteral("width"), width);
    insertOptional(object, QStringLiteral("height"), height);
    insertOptional(object, QStringLiteral("density"), density);
    if (hardwareSerial)
        object.insert(QStringLiteral("hardwareSerial"), *hardwareSerial);
    return object;
}

DeviceProfile DeviceProfile::fromJson(const JsonDecoder &json)
{
    DeviceProfile profile;
    profile.serial = json.string(QStringLiteral("serial"));
    profile.model = json.string(QStringLiteral("model"));
    profile.brand = json.string(QStringLiteral("brand"));
    profile.androidVersion = json.string(QStringLiteral("androidVersion"));
    profile.sdk = json.uint32(QStringLiteral("sdk"));
    profile.width = json.optionalUInt32(QStringLiteral("width"));
    profile.height = json.optionalUInt32(QStringLiteral("height"));
    profile.density = json.optionalUInt32(QStringLiteral("density"));
    profile.connectionKind = json.string(QStringLiteral("connectionKind"));
    profile.supportsAudio = json.boolean(QStringLiteral("supportsAudio"));
    profile.supportsCamera = json.boolean(QStringLiteral("supportsCamera"));
    profile.canAttemptVirtualDisplay = json.boolean(QStringLiteral("canAttemptVirtualDisplay"));
    profile.h265Available = json.boolean(QStringLiteral("h265Available"));
    profile.av1Available = json.boolean(QStringLiteral("av1Available"));
    profile.hardwareSerial = json.optionalString(QStringLiteral("hardwareSerial"));
    const QJsonArray encoders = json.array(QStringLiteral("videoEncoders"));
    for (qsizetype i = 0; i < encoders.size(); ++i) {
        const JsonDecoder encoder = json.element(encoders[i], QStringLiteral("videoEncoders[%1]").arg(i));
        profile.videoEncoders.append(
            {encoder.string(QStringLiteral("codec")), encoder.string(QStringLiteral("name"))});
    }
    return profile;
}

} // namespace quorvane
