#include "WirelessRecords.h"

#include "Models.h"

namespace quorvane {

QJsonObject toJson(const RememberedWirelessDevice &device)
{
    QJsonObject object{{QStringLiteral("address"), device.address},
                       {QStringLiteral("label"), device.label},
                       {QStringLiteral("connected"), device.connected},
                       {QStringLiteral("lastUsed"), static_cast<qint64>(device.lastUsed)}};
    insertOptional(object, QStringLiteral("hardwareSerial"), device.hardwareSerial);
    return object;
}

QJsonObject toJson(const TransportSwitchResult &result)
{
    return {{QStringLiteral("activeSerial"), result.activeSerial},
            {QStringLiteral("activeConnection"), result.activeConnection},
            {QStringLiteral("message"), result.message},
            {QStringLiteral("safeToUnplugUSB"), result.safeToUnplugUSB}};
}

} // namespace quorvane
