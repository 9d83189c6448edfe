#include "WirelessRecords.h"

namespace quorvane {

QJsonObject toJson(const RememberedWirelessDevice &device)
{
    return {{QStringLiteral("address"), device.address},
            {QStringLiteral("label"), device.label},
            {QStringLiteral("connected"), device.connected},
            {QStringLiteral("lastUsed"), static_cast<qint64>(device.lastUsed)}};
}

QJsonObject toJson(const TransportSwitchResult &result)
{
    return {{QStringLiteral("activeSerial"), result.activeSerial},
            {QStringLiteral("activeConnection"), result.activeConnection},
            {QStringLiteral("message"), result.message},
            {QStringLiteral("safeToUnplugUSB"), result.safeToUnplugUSB}};
}

} // namespace quorvane
