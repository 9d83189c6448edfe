#include "AdbDevice.h"

#include "PhoneShell.h"
#include "Transports.h"
#include "World.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QThread>

namespace devsim {

namespace {

QString unauthorizedText()
{
    return QStringLiteral("error: device unauthorized.\n"
                          "This adb server's $ADB_VENDOR_KEYS is not set\n"
                          "Try 'adb kill-server' if that seems wrong.\n"
                          "Otherwise check for a confirmation dialog on your device.");
}

// The text adb prints for a transport that exists but cannot take commands; empty when it can.
QString stateError(const QString &state)
{
    if (state == QLatin1String("device") || state == QLatin1String("recovery"))
        return {};
    if (state == QLatin1String("unauthorized"))
        return unauthorizedText();
    if (state == QLatin1String("no permissions")) {
        return QStringLiteral(
            "error: insufficient permissions for device: missing udev rules? user is in the "
            "plugdev group\nSee [http://developer.android.com/tools/device.html] for more "
            "information");
    }
    if (state == QLatin1String("authorizing") || state == QLatin1String("connecting"))
        return QStringLiteral("error: device still %1").arg(state);
    return QStringLiteral("error: device offline");
}

bool matchesKind(const QJsonObject &transport, Target::Kind kind)
{
    const bool network =
        World::isNetworkSerial(transport.value(QStringLiteral("serial")).toString()) ||
        transport.value(QStringLiteral("serial")).toString().startsWith(QLatin1String("emulator-"));
    switch (kind) {
    case Target::Kind::Any:
        return true;
    case Target::Kind::Usb:
        return !network;
    case Target::Kind::Network:
        return network;
    }
    return false;
}

QString noneFound(Target::Kind kind)
{
    switch (kind) {
    case Target::Kind::Usb:
        return QStringLiteral("error: no devices found");
    case Target::Kind::Network:
        return QStringLiteral("error: no emulators found");
    case Target::Kind::Any:
        break;
    }
    return QStringLiteral("error: no devices/emulators found");
}

QString moreThanOne(Target::Kind kind)
{
    switch (kind) {
    case Target::Kind::Usb:
        return QStringLiteral("error: more than one device");
    case Target::Kind::Network:
        return QStringLiteral("error: more than one emulator");
    case Target::Kind::Any:
        break;
    }
    return QStringLiteral("error: more than one device/emulator");
}

// What "adb push" reports for one file: its size and a plausible USB 2 transfer time.
QString pushLine(const QString &local, qint64 bytes)
{
    const double seconds = std::max(0.001, static_cast<double>(bytes) / 40e6);
    const double rate = static_cast<double>(bytes) / seconds / (1024.0 * 1024.0);
    return QStringLiteral("%1: 1 file pushed, 0 skipped. %2 MB/s (%3 bytes in %4s)\n")
        .arg(local, QString::number(rate, 'f', 1), QString::number(bytes), QString::number(seconds, 'f', 3));
}

bool isWritableOnPhone(const QString &remote)
{
    return remote.startsWith(QLatin1String("/sdcard/")) || remote.startsWith(QLatin1String("/storage/")) ||
           remote.startsWith(QLatin1String("/data/local/tmp/"));
}

} // namespace

AdbDevice::AdbDevice(QJsonObject &world, Target target)
    : m_world(world)
    , m_target(std::move(target))
{
}

bool AdbDevice::handles(const QString &command)
{
    static const QStringList commands{QStringLiteral("shell"),       QStringLiteral("exec-out"),
                                      QStringLiteral("push"),        QStringLiteral("tcpip"),
                                      QStringLiteral("reboot"),      QStringLiteral("get-state"),
                                      QStringLiteral("get-serialno")};
    return commands.contains(command);
}

AdbDevice::Selection AdbDevice::select() const
{
    QList<QJsonObject> candidates;
    for (const QJsonValue &value : Transports::list(m_world)) {
        const QJsonObject transport = value.toObject();
        if (m_target.serial && transport.value(QStringLiteral("serial")).toString() != *m_target.serial)
            continue;
        if (m_target.transportId && transport.value(QStringLiteral("id")).toInt() != *m_target.transportId)
            continue;
        if (matchesKind(transport, m_target.kind))
            candidates.append(transport);
    }
    if (candidates.isEmpty()) {
        if (m_target.serial)
            return {{}, QStringLiteral("error: device '%1' not found").arg(*m_target.serial)};
        if (m_target.transportId)
            return {{}, QStringLiteral("error: no device with transport id '%1'").arg(*m_target.transportId)};
        return {{}, noneFound(m_target.kind)};
    }
    if (candidates.size() > 1)
        return {{}, moreThanOne(m_target.kind)};
    const QString state =
        candidates.first().value(QStringLiteral("state")).toString(QStringLiteral("device"));
    return {candidates.first(), stateError(state)};
}

Reply AdbDevice::run(const QStringList &words)
{
    const QString command = words.value(0);
    const Selection selection = select();
    if (!selection.error.isEmpty()) {
        if (command == QLatin1String("exec-out"))
            return Reply::error(selection.error + QLatin1Char('\n'), 255);
        if (command == QLatin1String("push")) {
            return Reply::error(
                QStringLiteral("adb: error: failed to get feature set: %1\n").arg(selection.error.mid(7)));
        }
        return Reply::error(selection.error + QLatin1Char('\n'));
    }
    m_transport = selection.transport;
    if (command == QLatin1String("shell"))
        return shell(words.mid(1), false);
    if (command == QLatin1String("exec-out"))
        return shell(words.mid(1), true);
    if (command == QLatin1String("push"))
        return push(words.mid(1));
    if (command == QLatin1String("tcpip"))
        return tcpip(words.mid(1));
    if (command == QLatin1String("reboot"))
        return reboot();
    if (command == QLatin1String("get-serialno"))
        return Reply::ok(m_transport.value(QStringLiteral("serial")).toString() + QLatin1Char('\n'));
    return Reply::ok(m_transport.value(QStringLiteral("state")).toString(QStringLiteral("device")) +
                     QLatin1Char('\n'));
}

// adb joins the words with single spaces and the phone's shell splits them again, exactly like a real
// phone does: a value holding a space arrives as two words unless the caller quoted it.
Reply AdbDevice::shell(const QStringList &words, bool raw)
{
    static const QStringList flags{QStringLiteral("-n"), QStringLiteral("-T"), QStringLiteral("-t"),
                                   QStringLiteral("-x")};
    qsizetype first = 0;
    while (first < words.size() && flags.contains(words[first]))
        ++first;
    QJsonObject phone = this->phone();
    PhoneShell shell(phone);
    Reply reply = shell.run(words.mid(first).join(QLatin1Char(' ')));
    if (shell.changed())
        storePhone(phone);
    if (raw) {
        // exec-out has no separate error stream and no exit status: both go out as bytes, status 0.
        reply.out = reply.out + reply.err;
        reply.err.clear();
        reply.exitCode = 0;
    }
    return reply;
}

Reply AdbDevice::push(const QStringList &words)
{
    if (words.size() < 2)
        return Reply::error(QStringLiteral("adb: push requires an argument\n"));
    const QString remote = words.last();
    QJsonObject phone = this->phone();
    QJsonObject files = phone.value(QStringLiteral("files")).toObject();
    Reply reply;
    for (const QString &local : words.mid(0, words.size() - 1)) {
        const QFileInfo info(local);
        if (!info.exists()) {
            return Reply::error(
                QStringLiteral("adb: error: cannot stat '%1': No such file or directory\n").arg(local));
        }
        const QString target = remote.endsWith(QLatin1Char('/')) ? remote + info.fileName() : remote;
        if (!isWritableOnPhone(target)) {
            return Reply::error(
                QStringLiteral("adb: error: failed to copy '%1' to '%2': remote couldn't create "
                               "file: Read-only file system\n")
                    .arg(local, target));
        }
        files.insert(target, QJsonObject{{QStringLiteral("size"), info.size()},
                                         {QStringLiteral("source"), info.absoluteFilePath()}});
        reply.out += pushLine(local, info.size()).toUtf8();
    }
    phone.insert(QStringLiteral("files"), files);
    storePhone(phone);
    return reply;
}

Reply AdbDevice::tcpip(const QStringList &words)
{
    bool ok = false;
    const int port = words.value(0).toInt(&ok);
    if (words.size() != 1 || !ok || port <= 0 || port > 65535)
        return Reply::error(QStringLiteral("adb: usage: adb tcpip PORT\n"));
    QJsonObject phone = this->phone();
    phone.insert(QStringLiteral("tcpipPort"), port);
    storePhone(phone);
    return Reply::ok(QStringLiteral("restarting in TCP mode port: %1\n").arg(port));
}

// A reboot drops the phone's network transports and takes adbd back to USB-only; settings stay.
Reply AdbDevice::reboot()
{
    const QString phoneId = m_transport.value(QStringLiteral("phone")).toString();
    QJsonObject phone = this->phone();
    phone.insert(QStringLiteral("bootCount"), phone.value(QStringLiteral("bootCount")).toInt() + 1);
    phone.remove(QStringLiteral("tcpipPort"));
    storePhone(phone);
    Transports::removeIf(m_world, [&phoneId](const QJsonObject &transport) {
        return transport.value(QStringLiteral("phone")).toString() == phoneId &&
               World::isNetworkSerial(transport.value(QStringLiteral("serial")).toString());
    });
    return Reply::ok();
}

QJsonObject AdbDevice::phone() const
{
    return World::phone(m_world, m_transport.value(QStringLiteral("phone")).toString());
}

void AdbDevice::storePhone(const QJsonObject &phone)
{
    const QString phoneId = m_transport.value(QStringLiteral("phone")).toString();
    if (phoneId.isEmpty())
        return;
    QJsonObject phones = m_world.value(QStringLiteral("phones")).toObject();
    phones.insert(phoneId, phone);
    m_world.insert(QStringLiteral("phones"), phones);
}

int AdbDevice::waitForDevice(const QString &worldPath, const Target &target)
{
    for (;;) {
        QJsonObject world = World::read(worldPath);
        AdbDevice device(world, target);
        if (device.select().error.isEmpty())
            return 0;
        QThread::msleep(100);
    }
}

} // namespace devsim
