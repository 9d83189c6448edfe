#pragma once

#include "Reply.h"

#include <QJsonObject>
#include <QStringList>

#include <optional>

namespace devsim {

// Which transport a command addresses: -s, -t, -d, -e or ANDROID_SERIAL; nothing means "the only one".
struct Target
{
    enum class Kind { Any, Usb, Network };
    Kind kind = Kind::Any;
    std::optional<QString> serial;
    std::optional<int> transportId;
};

// The adb commands that address one phone: shell, exec-out, push, tcpip, reboot, get-state and
// get-serialno, with adb's own error texts and exit codes when the target is missing or not ready.
class AdbDevice
{
public:
    AdbDevice(QJsonObject &world, Target target);

    static bool handles(const QString &command);
    Reply run(const QStringList &words);

    // Blocks until the target is online, as adb does; never takes the world lock.
    static int waitForDevice(const QString &worldPath, const Target &target);

private:
    // The addressed transport in state "device", or the error text adb prints instead.
    struct Selection
    {
        QJsonObject transport;
        QString error;
    };
    Selection select() const;
    Reply shell(const QStringList &words, bool raw);
    Reply push(const QStringList &words);
    Reply tcpip(const QStringList &words);
    Reply reboot();

    QJsonObject phone() const;
    void storePhone(const QJsonObject &phone);

    QJsonObject &m_world;
    Target m_target;
    QJsonObject m_transport;
};

} // namespace devsim
