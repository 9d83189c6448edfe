#include "CameraRecords.h"

#include "Models.h"

#include <QHashFunctions>
#include <QJsonArray>

namespace quorvane {

namespace {

QString capitalisedWords(const QString &text)
{
    QString result = text;
    bool wordStart = true;
    for (QChar &c : result) {
        c = wordStart ? c.toUpper() : c.toLower();
        wordStart = c.isSpace();
    }
    return result;
}

QJsonArray toJsonArray(const QList<quint32> &numbers)
{
    QJsonArray array;
    for (const quint32 number : numbers)
        array.append(static_cast<qint64>(number));
    return array;
}

void insertOptional(QJsonObject &object, const QString &key, const std::optional<quint32> &value)
{
    if (value)
        object.insert(key, static_cast<qint64>(*value));
}

void insertOptional(QJsonObject &object, const QString &key, const std::optional<double> &value)
{
    if (value)
        object.insert(key, *value);
}

} // namespace

QString CameraInfo::label() const
{
    QString text = capitalisedWords(facing);
    if (maxWidth && maxHeight)
        text += QStringLiteral(" · %1×%2").arg(*maxWidth).arg(*maxHeight);
    return text;
}

size_t qHash(const CameraHighSpeedMode &mode, size_t seed)
{
    return qHashMulti(seed, mode.size, mode.fps);
}

QJsonObject toJson(const CameraHighSpeedMode &mode)
{
    return {{QStringLiteral("size"), mode.size}, {QStringLiteral("fps"), toJsonArray(mode.fps)}};
}

QJsonObject toJson(const CameraInfo &camera)
{
    QJsonArray modes;
    for (const CameraHighSpeedMode &mode : camera.highSpeedModes)
        modes.append(toJson(mode));
    QJsonObject object{{QStringLiteral("serial"), camera.serial},
                       {QStringLiteral("cameraId"), camera.cameraId},
                       {QStringLiteral("facing"), camera.facing},
                       {QStringLiteral("fps"), toJsonArray(camera.fps)},
                       {QStringLiteral("sizes"), QJsonArray::fromStringList(camera.sizes)},
                       {QStringLiteral("highSpeedModes"), modes},
                       {QStringLiteral("torchLikely"), camera.torchLikely},
                       {QStringLiteral("id"), camera.id()},
                       {QStringLiteral("label"), camera.label()}};
    insertOptional(object, QStringLiteral("maxWidth"), camera.maxWidth);
    insertOptional(object, QStringLiteral("maxHeight"), camera.maxHeight);
    insertOptional(object, QStringLiteral("zoomMin"), camera.zoomMin);
    insertOptional(object, QStringLiteral("zoomMax"), camera.zoomMax);
    return object;
}

QJsonObject toJson(const CameraCapabilities &capabilities)
{
    QJsonArray cameras;
    for (const CameraInfo &camera : capabilities.cameras)
        cameras.append(toJson(camera));
    QJsonObject object{{QStringLiteral("cameraSupported"), capabilities.cameraSupported},
                       {QStringLiteral("cameras"), cameras},
                       {QStringLiteral("note"), capabilities.note}};
    quorvane::insertOptional(object, QStringLiteral("recommendedCameraId"), capabilities.recommendedCameraId);
    return object;
}

} // namespace quorvane
