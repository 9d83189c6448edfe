#pragma once

#include "Reply.h"

#include <QJsonObject>
#include <QList>

namespace devsim {

// The phone's IPv4 interfaces: "wifi" and "mobileData" objects with "address", "prefix", "interface"
// and "index", answered the way toybox/iproute2 print them on Android.
class PhoneNetwork
{
public:
    explicit PhoneNetwork(const QJsonObject &phone);

    // "ip route": kernel routes of the up interfaces, in the kernel's order (by network address), each
    // line ending in a space as on a phone; "ipRoute" in the world replaces the whole answer.
    QString routes() const;
    // "ip [-f inet] addr show IFACE".
    Reply addresses(const QString &interface, bool inetOnly) const;

private:
    struct Interface
    {
        QString name;
        QString address;
        int prefix = 24;
        int index = 0;
    };
    QList<Interface> interfaces() const;

    QJsonObject m_phone;
};

} // namespace devsim
