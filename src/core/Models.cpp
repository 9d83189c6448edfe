#include "Models.h"

namespace quorvane {

void insertOptional(QJsonObject &object, const QString &key, const std::optional<QString> &value)
{
    if (value)
        object.insert(key, *value);
}

QJsonObject toJson(const RuntimeStatus &status)
{
    QJsonObject object{{QStringLiteral("adbFound"), status.adbFound},
                       {QStringLiteral("scrcpyFound"), status.scrcpyFound}};
    insertOptional(object, QStringLiteral("adbPath"), status.adbPath);
    insertOptional(object, QStringLiteral("scrcpyPath"), status.scrcpyPath);
    insertOptional(object, QStringLiteral("adbVersion"), status.adbVersion);
    insertOptional(object, QStringLiteral("scrcpyVersion"), status.scrcpyVersion);
    if (status.adbRelease)
        object.insert(QStringLiteral("adbRelease"), status.adbRelease->text);
    if (status.scrcpyRelease)
        object.insert(QStringLiteral("scrcpyRelease"), status.scrcpyRelease->text);
    object.insert(QStringLiteral("usable"), status.usable());
    insertOptional(object, QStringLiteral("problem"), status.problem);
    return object;
}

QJsonObject toJson(const DeviceInfo &device)
{
    QJsonObject object{{QStringLiteral("serial"), device.serial},
                       {QStringLiteral("state"), device.state},
                       {QStringLiteral("connectionKind"), device.connectionKind}};
    insertOptional(object, QStringLiteral("model"), device.model);
    insertOptional(object, QStringLiteral("product"), device.product);
    insertOptional(object, QStringLiteral("device"), device.device);
    return object;
}

} // namespace quorvane
