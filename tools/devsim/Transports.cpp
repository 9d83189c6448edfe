#include "Transports.h"

#include "World.h"

namespace devsim {

namespace {

// adb keeps model names to letters and digits so that the line stays one token per field.
QString sanitisedModel(const QString &model)
{
    QString result = model;
    for (QChar &c : result) {
        if (!c.isLetterOrNumber() || c.unicode() > 127)
            c = QLatin1Char('_');
    }
    return result;
}

void appendInfo(QString &line, const QString &key, const QString &value)
{
    if (!value.isEmpty())
        line += QLatin1Char(' ') + key + value;
}

// The banner a phone sends once adb is authorised: only then does the server know its names.
bool hasBanner(const QString &state)
{
    return state == QLatin1String("device") || state == QLatin1String("recovery") ||
           state == QLatin1String("sideload") || state == QLatin1String("rescue");
}

} // namespace

QJsonArray Transports::list(const QJsonObject &world)
{
    return world.value(QStringLiteral("transports")).toArray();
}

QString Transports::stateText(const QString &state)
{
    if (state == QLatin1String("no permissions")) {
        return QStringLiteral("no permissions (missing udev rules? user is in the plugdev group); see "
                              "[http://developer.android.com/tools/device.html]");
    }
    return state;
}

QString Transports::describe(const QJsonObject &world, const QJsonObject &transport, bool longListing)
{
    const QString serial = transport.value(QStringLiteral("serial")).toString();
    const QString state = transport.value(QStringLiteral("state")).toString(QStringLiteral("device"));
    if (!longListing)
        return serial + QLatin1Char('\t') + stateText(state);

    QString line = serial.leftJustified(22) + QLatin1Char(' ') + stateText(state);
    const QString usb = transport.value(QStringLiteral("usb")).toString();
    if (!usb.isEmpty())
        line += QStringLiteral(" usb:") + usb;
    if (hasBanner(state)) {
        const QJsonObject properties =
            World::phone(world, transport.value(QStringLiteral("phone")).toString())
                .value(QStringLiteral("properties"))
                .toObject();
        appendInfo(line, QStringLiteral("product:"),
                   properties.value(QStringLiteral("ro.product.name")).toString());
        appendInfo(line, QStringLiteral("model:"),
                   sanitisedModel(properties.value(QStringLiteral("ro.product.model")).toString()));
        appendInfo(line, QStringLiteral("device:"),
                   properties.value(QStringLiteral("ro.product.device")).toString());
    }
    return line + QStringLiteral(" transport_id:") +
           QString::number(transport.value(QStringLiteral("id")).toInt());
}

void Transports::add(QJsonObject &world, const QString &serial, const QString &phoneId, const QString &state)
{
    QJsonObject adb = world.value(QStringLiteral("adb")).toObject();
    int next = adb.value(QStringLiteral("nextTransportId")).toInt();
    QJsonArray transports = list(world);
    for (const QJsonValue &value : transports)
        next = std::max(next, value.toObject().value(QStringLiteral("id")).toInt() + 1);
    QJsonObject transport{
        {QStringLiteral("serial"), serial}, {QStringLiteral("state"), state}, {QStringLiteral("id"), next}};
    if (!phoneId.isEmpty())
        transport.insert(QStringLiteral("phone"), phoneId);
    transports.prepend(transport);
    adb.insert(QStringLiteral("nextTransportId"), next + 1);
    world.insert(QStringLiteral("adb"), adb);
    world.insert(QStringLiteral("transports"), transports);
}

void Transports::removeIf(QJsonObject &world, const std::function<bool(const QJsonObject &)> &predicate)
{
    QJsonArray kept;
    for (const QJsonValue &value : list(world)) {
        if (!predicate(value.toObject()))
            kept.append(value);
    }
    world.insert(QStringLiteral("transports"), kept);
}

QString Transports::phoneListeningAt(const QJsonObject &world, const QString &host, int port)
{
    const QJsonObject phones = world.value(QStringLiteral("phones")).toObject();
    for (auto it = phones.begin(); it != phones.end(); ++it) {
        const QJsonObject phone = it.value().toObject();
        if (phone.value(QStringLiteral("wifi")).toObject().value(QStringLiteral("address")).toString() !=
            host)
            continue;
        if (phone.value(QStringLiteral("tcpipPort")).toInt() == port ||
            phone.value(QStringLiteral("wirelessDebuggingPort")).toInt() == port)
            return it.key();
    }
    return {};
}

} // namespace devsim
