#pragma once

#include <QJsonObject>
#include <QString>

namespace quorvane {

// A remembered wireless address as the Wireless screen lists it; identified by its address.
struct RememberedWirelessDevice
{
    QString address;
    QString label;
    bool connected = false;
    quint64 lastUsed = 0;

    const QString &id() const { return address; }
    bool operator==(const RememberedWirelessDevice &) const = default;
};

// Where the user stands after moving between USB and Wi-Fi (or forgetting a wireless phone).
struct TransportSwitchResult
{
    QString activeSerial;
    QString activeConnection;
    QString message;
    bool safeToUnplugUSB = false;

    bool operator==(const TransportSwitchResult &) const = default;
};

QJsonObject toJson(const RememberedWirelessDevice &device);
QJsonObject toJson(const TransportSwitchResult &result);

} // namespace quorvane
