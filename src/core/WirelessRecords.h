#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

namespace quorvane {

// A remembered wireless address as the Wireless screen lists it; identified by its address.
struct RememberedWirelessDevice
{
    QString address;
    QString label;
    bool connected = false;
    quint64 lastUsed = 0;
    std::optional<QString> hardwareSerial;

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

// One service a phone announces on the local network, as `adb mdns services` lists it.
struct MdnsService
{
    // "adb-<hardware serial>-<tag>".
    QString instance;
    // "_adb-tls-connect._tcp" (the address to connect to) or "_adb-tls-pairing._tcp".
    QString type;
    QString address;

    bool isConnectService() const { return type == QLatin1String("_adb-tls-connect._tcp"); }
    bool operator==(const MdnsService &) const = default;
};

QJsonObject toJson(const RememberedWirelessDevice &device);
QJsonObject toJson(const TransportSwitchResult &result);

} // namespace quorvane
