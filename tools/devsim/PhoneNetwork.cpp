#include "PhoneNetwork.h"

#include <algorithm>

namespace devsim {

namespace {

quint32 toNumber(const QString &address)
{
    quint32 value = 0;
    for (const QString &part : address.split(QLatin1Char('.')))
        value = (value << 8) | (part.toUInt() & 0xff);
    return value;
}

QString toText(quint32 value)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(value >> 24)
        .arg((value >> 16) & 0xff)
        .arg((value >> 8) & 0xff)
        .arg(value & 0xff);
}

quint32 maskOf(int prefix)
{
    return prefix <= 0 ? 0 : 0xffffffffu << (32 - prefix);
}

} // namespace

PhoneNetwork::PhoneNetwork(const QJsonObject &phone)
    : m_phone(phone)
{
}

QList<PhoneNetwork::Interface> PhoneNetwork::interfaces() const
{
    QList<Interface> result;
    const struct
    {
        const char *key;
        const char *defaultName;
        int defaultIndex;
    } kinds[] = {{"wifi", "wlan0", 30}, {"mobileData", "rmnet_data1", 21}};
    for (const auto &kind : kinds) {
        const QJsonObject object = m_phone.value(QLatin1String(kind.key)).toObject();
        if (object.value(QStringLiteral("address")).toString().isEmpty())
            continue;
        result.append({object.value(QStringLiteral("interface")).toString(QLatin1String(kind.defaultName)),
                       object.value(QStringLiteral("address")).toString(),
                       object.value(QStringLiteral("prefix")).toInt(24),
                       object.value(QStringLiteral("index")).toInt(kind.defaultIndex)});
    }
    return result;
}

QString PhoneNetwork::routes() const
{
    if (m_phone.contains(QStringLiteral("ipRoute")))
        return m_phone.value(QStringLiteral("ipRoute")).toString();
    QList<Interface> list = interfaces();
    std::sort(list.begin(), list.end(), [](const Interface &a, const Interface &b) {
        return (toNumber(a.address) & maskOf(a.prefix)) < (toNumber(b.address) & maskOf(b.prefix));
    });
    QString text;
    for (const Interface &interface : list) {
        const QString network = toText(toNumber(interface.address) & maskOf(interface.prefix));
        // Android's iproute2 ends every route line with a space after the last word.
        text += QStringLiteral("%1/%2 dev %3 proto kernel scope link src %4 \n")
                    .arg(network)
                    .arg(interface.prefix)
                    .arg(interface.name, interface.address);
    }
    return text;
}

// An interface without an IPv4 address prints nothing under "-f inet"; an unknown one is an error.
Reply PhoneNetwork::addresses(const QString &name, bool inetOnly) const
{
    const QList<Interface> list = interfaces();
    const auto it =
        std::find_if(list.begin(), list.end(), [&name](const Interface &i) { return i.name == name; });
    if (it == list.end()) {
        if (name == QLatin1String("wlan0") && !inetOnly) {
            return Reply::ok(QStringLiteral(
                "30: wlan0: <BROADCAST,MULTICAST> mtu 1500 qdisc mq state DOWN group "
                "default qlen 3000\n    link/ether 02:00:00:00:00:00 brd ff:ff:ff:ff:ff:ff\n"));
        }
        if (name == QLatin1String("wlan0"))
            return Reply::ok();
        return Reply::error(QStringLiteral("Device \"%1\" does not exist.\n").arg(name));
    }
    const quint32 broadcast = toNumber(it->address) | ~maskOf(it->prefix);
    QString text =
        QStringLiteral("%1: %2: <BROADCAST,MULTICAST,UP,LOWER_UP> mtu 1500 qdisc mq state UP group "
                       "default qlen 3000\n")
            .arg(it->index)
            .arg(it->name);
    if (!inetOnly)
        text += QStringLiteral("    link/ether 3a:51:c2:7d:14:9e brd ff:ff:ff:ff:ff:ff\n");
    text += QStringLiteral(
                "    inet %1/%2 brd %3 scope global %4\n       valid_lft forever preferred_lft forever\n")
                .arg(it->address)
                .arg(it->prefix)
                .arg(toText(broadcast), it->name);
    if (!inetOnly) {
        text += QStringLiteral("    inet6 fe80::3851:c2ff:fe7d:149e/64 scope link\n"
                               "       valid_lft forever preferred_lft forever\n");
    }
    return Reply::ok(text);
}

} // namespace devsim
