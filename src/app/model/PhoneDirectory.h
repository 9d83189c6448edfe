#pragma once

#include "ADBService.h"
#include "Models.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <QCoroTask>

#include <optional>

namespace quorvane::app {

// One phone and the transports adb reaches it by right now, USB first.
struct PhoneRow
{
    // The hardware serial, or the transport serial of a phone that tells none.
    QString key;
    QList<DeviceInfo> transports;

    QString name() const { return transports.first().displayName(); }
    // "USB", "Wi-Fi" or "USB + Wi-Fi".
    QString reach() const;
    bool reachedBy(const QString &serial) const;
    bool operator==(const PhoneRow &) const = default;
};

// Which transports of the device list are one phone: a phone plugged in and connected over Wi-Fi is listed
// by adb twice, under two serials, but it is one phone to the user. Knows the hardware serial of every
// transport it was told about, and forgets those that left the list.
class PhoneDirectory
{
public:
    // The ready transports whose hardware serial is not known yet.
    QStringList unknownSerials(const QList<DeviceInfo> &devices) const;
    // Asks each phone for its hardware serial; never fails (a phone that cannot tell stays on its own).
    static QCoro::Task<QHash<QString, std::optional<QString>>> identify(ADBService adb, QStringList serials);
    void learn(const QHash<QString, std::optional<QString>> &serials, const QList<DeviceInfo> &devices);

    // Who the transport's phone is: its hardware serial once it told it, else the transport's serial.
    QString keyOf(const QString &serial) const;

    // The device list as phones, in the order each phone is first listed.
    QList<PhoneRow> rows(const QList<DeviceInfo> &devices) const;

private:
    QString keyOf(const DeviceInfo &device) const;

    QHash<QString, std::optional<QString>> m_hardwareSerials;
};

} // namespace quorvane::app
