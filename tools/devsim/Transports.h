#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <functional>

namespace devsim {

// The adb server's transport table in the world: "transports" is an array, newest first, of objects with
// "serial", "state", "phone" (a key of "phones"), "id" (transport_id) and, for USB, "usb" (the port).
class Transports
{
public:
    static QJsonArray list(const QJsonObject &world);
    // One line of "adb devices": the real column layout, the real state words.
    static QString describe(const QJsonObject &world, const QJsonObject &transport, bool longListing);
    static QString stateText(const QString &state);

    // A new transport gets the next transport id and goes first, as the server lists it.
    static void add(QJsonObject &world, const QString &serial, const QString &phoneId, const QString &state);
    static void removeIf(QJsonObject &world, const std::function<bool(const QJsonObject &)> &predicate);

    // The phone whose Wi-Fi address is host and whose adbd listens on port ("tcpipPort" after
    // "adb tcpip", or "wirelessDebuggingPort" for Android 11 wireless debugging); empty when none.
    static QString phoneListeningAt(const QJsonObject &world, const QString &host, int port);
};

} // namespace devsim
