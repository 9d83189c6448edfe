#pragma once

#include "Reply.h"

#include <QJsonObject>
#include <QStringList>

namespace devsim {

// The adb commands answered by the client or the server alone: version, the device list, the server's
// life, the network transports (connect, disconnect, pair) and the phones announced on the network (mdns).
class AdbHost
{
public:
    AdbHost(QJsonObject &world, QString program);

    static bool isServerless(const QString &command);
    static bool handles(const QString &command);
    Reply run(const QStringList &words);

    // "List of devices attached" and one line per transport, in the server's order.
    static QString deviceList(const QJsonObject &world, bool longListing);

    // What the adb started as program is: its entry in adb.installations (keyed by absolute path), else
    // adb.version and adb.protocol. Servers of two protocols restart each other.
    struct Installation
    {
        QString version;
        int protocol = 41;
    };
    static Installation installation(const QJsonObject &world, const QString &program);

private:
    Reply version() const;
    Reply killServer();
    Reply connect(const QStringList &words);
    Reply disconnect(const QStringList &words);
    Reply pair(const QStringList &words);
    Reply mdns(const QStringList &words) const;
    int majorVersion() const;

    QJsonObject &m_world;
    QString m_program;
};

} // namespace devsim
