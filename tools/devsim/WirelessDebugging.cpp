#include "WirelessDebugging.h"

#include "Transports.h"
#include "World.h"

namespace devsim {

namespace {

const QString portKey = QStringLiteral("wirelessDebuggingPort");
const QString lastPortKey = QStringLiteral("lastWirelessDebuggingPort");

QString tagOf(const QString &phoneId, const QJsonObject &phone)
{
    const QString tag = phone.value(QStringLiteral("mdnsTag")).toString();
    return tag.isEmpty() ? QStringLiteral("%1").arg(qHash(phoneId) % 0xFFFFFF, 6, 16, QLatin1Char('0')) : tag;
}

// Phones pick from the dynamic range; stepping through it keeps runs reproducible.
int nextPort(int previous)
{
    constexpr int first = 37000;
    constexpr int span = 8000;
    return previous == 0 ? first + 99 : first + (previous - first + 1013) % span;
}

} // namespace

QString WirelessDebugging::services(const QJsonObject &world)
{
    QString text = QStringLiteral("List of discovered mdns services\n");
    const QJsonObject phones = world.value(QStringLiteral("phones")).toObject();
    for (auto it = phones.begin(); it != phones.end(); ++it) {
        const QJsonObject phone = it.value().toObject();
        const int port = phone.value(portKey).toInt();
        const QString address =
            phone.value(QStringLiteral("wifi")).toObject().value(QStringLiteral("address")).toString();
        if (port == 0 || address.isEmpty())
            continue;
        const QString serial = phone.value(QStringLiteral("properties"))
                                   .toObject()
                                   .value(QStringLiteral("ro.serialno"))
                                   .toString();
        text += QStringLiteral("adb-%1-%2\t_adb-tls-connect._tcp\t%3:%4\n")
                    .arg(serial, tagOf(it.key(), phone), address, QString::number(port));
    }
    return text;
}

int WirelessDebugging::setEnabled(QJsonObject &world, const QString &phoneId, bool enabled)
{
    QJsonObject phones = world.value(QStringLiteral("phones")).toObject();
    QJsonObject phone = phones.value(phoneId).toObject();
    const int current = phone.value(portKey).toInt();
    if (current != 0) {
        // adbd closes its connections when the switch goes off; the server drops their transports.
        const QString onPort = QLatin1Char(':') + QString::number(current);
        Transports::removeIf(world, [&](const QJsonObject &transport) {
            return transport.value(QStringLiteral("phone")).toString() == phoneId &&
                   transport.value(QStringLiteral("serial")).toString().endsWith(onPort);
        });
        phone.insert(lastPortKey, current);
        phone.remove(portKey);
    }
    int port = 0;
    if (enabled) {
        port = nextPort(phone.value(lastPortKey).toInt());
        phone.insert(portKey, port);
    }
    phones.insert(phoneId, phone);
    world.insert(QStringLiteral("phones"), phones);
    return port;
}

} // namespace devsim
