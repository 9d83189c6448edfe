#include "PhoneDirectory.h"

#include "PhoneIdentity.h"

#include <algorithm>

namespace quorvane::app {

QString PhoneRow::reach() const
{
    const bool usb = std::any_of(transports.cbegin(), transports.cend(),
                                 [](const DeviceInfo &device) { return !device.isWireless(); });
    const bool wifi = std::any_of(transports.cbegin(), transports.cend(),
                                  [](const DeviceInfo &device) { return device.isWireless(); });
    if (usb && wifi)
        return QStringLiteral("USB + Wi-Fi");
    return wifi ? QStringLiteral("Wi-Fi") : QStringLiteral("USB");
}

bool PhoneRow::reachedBy(const QString &serial) const
{
    return std::any_of(transports.cbegin(), transports.cend(),
                       [&serial](const DeviceInfo &device) { return device.serial == serial; });
}

QStringList PhoneDirectory::unknownSerials(const QList<DeviceInfo> &devices) const
{
    QStringList serials;
    for (const DeviceInfo &device : devices) {
        if (device.state == QLatin1String("device") && !m_hardwareSerials.contains(device.serial))
            serials << device.serial;
    }
    return serials;
}

QCoro::Task<QHash<QString, std::optional<QString>>> PhoneDirectory::identify(ADBService adb,
                                                                             QStringList serials)
{
    QHash<QString, std::optional<QString>> found;
    for (const QString &serial : serials) {
        // A transport adb found on the network carries the serial in its name already.
        std::optional<QString> hardware = PhoneIdentity::fromServiceName(serial);
        if (!hardware)
            hardware = co_await adb.hardwareSerial(serial);
        found.insert(serial, hardware);
    }
    co_return found;
}

void PhoneDirectory::learn(const QHash<QString, std::optional<QString>> &serials,
                           const QList<DeviceInfo> &devices)
{
    m_hardwareSerials.insert(serials);
    // A serial that comes back may belong to another phone (a Wi-Fi address handed out again).
    for (auto it = m_hardwareSerials.begin(); it != m_hardwareSerials.end();) {
        const QString &serial = it.key();
        const bool listed =
            std::any_of(devices.cbegin(), devices.cend(),
                        [&serial](const DeviceInfo &device) { return device.serial == serial; });
        it = listed ? std::next(it) : m_hardwareSerials.erase(it);
    }
}

QString PhoneDirectory::keyOf(const DeviceInfo &device) const
{
    return keyOf(device.serial);
}

QString PhoneDirectory::keyOf(const QString &serial) const
{
    return PhoneIdentity(serial, m_hardwareSerials.value(serial)).key();
}

QList<PhoneRow> PhoneDirectory::rows(const QList<DeviceInfo> &devices) const
{
    QList<PhoneRow> rows;
    for (const DeviceInfo &device : devices) {
        const QString key = keyOf(device);
        const auto row = std::find_if(rows.begin(), rows.end(),
                                      [&key](const PhoneRow &candidate) { return candidate.key == key; });
        if (row == rows.end())
            rows.append({key, {device}});
        else if (device.isWireless())
            row->transports.append(device);
        else
            row->transports.prepend(device);
    }
    return rows;
}

} // namespace quorvane::app
