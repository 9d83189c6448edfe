#pragma once

#include <QJsonObject>
#include <QString>

namespace devsim {

// Android 11 wireless debugging: a phone with "wirelessDebuggingPort" listens there and announces itself
// on the network as "adb-<ro.serialno>-<tag>" (tag: "mdnsTag", else derived from the phone id), the way
// adb's mDNS browser lists it.
class WirelessDebugging
{
public:
    // `adb mdns services`: the header and one tab-separated line per announced service.
    static QString services(const QJsonObject &world);

    // The phone's switch in Developer options. Turning it off drops the network transports connected to its
    // port; turning it on picks a new port, as a phone does each time (on while on: off, then on again).
    // Returns the port now, 0 when off.
    static int setEnabled(QJsonObject &world, const QString &phoneId, bool enabled);
};

} // namespace devsim
