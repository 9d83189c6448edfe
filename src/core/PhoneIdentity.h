#pragma once

#include <QString>

#include <optional>

namespace quorvane {

// Who a phone is, as opposed to how it is reached right now. The hardware serial stays the same across
// USB, Wi-Fi and every port wireless debugging picks; the transport serial does not.
struct PhoneIdentity
{
    // Without a hardware serial: a phone known only by the transport it was met on.
    PhoneIdentity(QString transportSerial, std::optional<QString> hardware = std::nullopt)
        : serial(std::move(transportSerial))
        , hardwareSerial(std::move(hardware))
    {
    }

    // The adb serial it was met under: a USB serial, "host:port" or an mDNS service name.
    QString serial;
    std::optional<QString> hardwareSerial;

    // The name the stores file the phone under: its hardware serial, or the transport serial of a phone
    // that does not tell one (such a phone can only be recognised where it was last seen).
    QString key() const { return hardwareSerial.value_or(serial); }
    // True when entries filed under the transport serial belong under the hardware serial now.
    bool movesFromTransportSerial() const { return hardwareSerial && *hardwareSerial != serial; }

    // The hardware serial inside a wireless-debugging service name ("adb-<serial>-<tag>", possibly followed
    // by "._adb-tls-connect._tcp"), which adb builds from the phone's ro.serialno.
    static std::optional<QString> fromServiceName(const QString &name);

    bool operator==(const PhoneIdentity &) const = default;
};

} // namespace quorvane
