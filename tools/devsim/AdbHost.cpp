#include "AdbHost.h"

#include "Transports.h"
#include "WirelessDebugging.h"
#include "World.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>

namespace devsim {

namespace {

const QString defaultVersion = QStringLiteral("29.0.6-debian");

QString usage()
{
    return QStringLiteral("Android Debug Bridge version 1.0.41\n"
                          "\n"
                          "global options:\n"
                          " -d         use USB device (error if multiple devices connected)\n"
                          " -e         use TCP/IP device (error if multiple TCP/IP devices available)\n"
                          " -s SERIAL  use device with given serial (overrides $ANDROID_SERIAL)\n"
                          " -t ID      use device with given transport id\n");
}

// adb adds the default port to a bare host.
QString withPort(const QString &address)
{
    if (address.contains(QLatin1Char(':')))
        return address;
    return address + QStringLiteral(":5555");
}

QString hostOf(const QString &address)
{
    return address.section(QLatin1Char(':'), 0, -2);
}

int portOf(const QString &address)
{
    return address.section(QLatin1Char(':'), -1).toInt();
}

bool resolves(const QJsonObject &world, const QString &host)
{
    static const QRegularExpression ipv4(QStringLiteral("^\\d{1,3}(\\.\\d{1,3}){3}$"));
    if (ipv4.match(host).hasMatch() || host == QLatin1String("localhost"))
        return true;
    return world.value(QStringLiteral("hosts")).toObject().contains(host);
}

QString resolvedHost(const QJsonObject &world, const QString &host)
{
    return world.value(QStringLiteral("hosts")).toObject().value(host).toString(host);
}

} // namespace

AdbHost::AdbHost(QJsonObject &world, QString program)
    : m_world(world)
    , m_program(std::move(program))
{
}

bool AdbHost::isServerless(const QString &command)
{
    return command.isEmpty() || command == QLatin1String("version") ||
           command == QLatin1String("kill-server") || command == QLatin1String("help");
}

bool AdbHost::handles(const QString &command)
{
    static const QStringList commands{QStringLiteral("devices"), QStringLiteral("start-server"),
                                      QStringLiteral("connect"), QStringLiteral("disconnect"),
                                      QStringLiteral("pair"),    QStringLiteral("mdns")};
    return isServerless(command) || commands.contains(command);
}

Reply AdbHost::run(const QStringList &words)
{
    const QString command = words.value(0);
    if (command == QLatin1String("version"))
        return version();
    if (command == QLatin1String("kill-server"))
        return killServer();
    if (command == QLatin1String("devices"))
        return Reply::ok(deviceList(m_world, words.contains(QStringLiteral("-l"))));
    if (command == QLatin1String("start-server"))
        return Reply::ok();
    if (command == QLatin1String("connect"))
        return connect(words);
    if (command == QLatin1String("disconnect"))
        return disconnect(words);
    if (command == QLatin1String("pair"))
        return pair(words);
    if (command == QLatin1String("mdns"))
        return mdns(words);
    return Reply::error(usage());
}

QString AdbHost::deviceList(const QJsonObject &world, bool longListing)
{
    QString text = QStringLiteral("List of devices attached\n");
    for (const QJsonValue &value : Transports::list(world))
        text += Transports::describe(world, value.toObject(), longListing) + QLatin1Char('\n');
    return text + QLatin1Char('\n');
}

AdbHost::Installation AdbHost::installation(const QJsonObject &world, const QString &program)
{
    const QJsonObject adb = world.value(QStringLiteral("adb")).toObject();
    const QJsonObject own = adb.value(QStringLiteral("installations"))
                                .toObject()
                                .value(QFileInfo(program).absoluteFilePath())
                                .toObject();
    const QJsonObject &source = own.isEmpty() ? adb : own;
    return {source.value(QStringLiteral("version")).toString(defaultVersion),
            source.value(QStringLiteral("protocol")).toInt(41)};
}

Reply AdbHost::version() const
{
    const Installation own = installation(m_world, m_program);
    const QString installed = QFileInfo(m_program).absoluteFilePath();
    return Reply::ok(QStringLiteral("Android Debug Bridge version 1.0.%1\nVersion %2\nInstalled as %3\n")
                         .arg(QString::number(own.protocol), own.version, installed));
}

// A stopped server forgets its network transports; USB phones reappear when it starts again.
Reply AdbHost::killServer()
{
    QJsonObject adb = m_world.value(QStringLiteral("adb")).toObject();
    if (!adb.value(QStringLiteral("serverRunning")).toBool())
        return Reply::error(QStringLiteral("cannot connect to daemon at tcp:5037: Connection refused\n"), 0);
    adb.insert(QStringLiteral("serverRunning"), false);
    m_world.insert(QStringLiteral("adb"), adb);
    Transports::removeIf(m_world, [](const QJsonObject &transport) {
        return World::isNetworkSerial(transport.value(QStringLiteral("serial")).toString());
    });
    return Reply::ok();
}

Reply AdbHost::connect(const QStringList &words)
{
    if (words.size() != 2)
        return Reply::error(QStringLiteral("adb: usage: adb connect HOST[:PORT]\n"));
    const QString address = withPort(words[1]);
    const QString host = hostOf(address);
    const QString outcome = m_world.value(QStringLiteral("connect")).toObject().value(address).toString();
    const QString refused = QStringLiteral("failed to connect to '%1': %2\n");

    if (outcome == QLatin1String("refused"))
        return Reply::ok(refused.arg(address, QStringLiteral("Connection refused")));
    if (outcome == QLatin1String("timeout"))
        return Reply::ok(refused.arg(address, QStringLiteral("Connection timed out")));
    if (outcome == QLatin1String("unreachable"))
        return Reply::ok(refused.arg(address, QStringLiteral("No route to host")));
    if (outcome == QLatin1String("offline")) {
        if (!World::transport(m_world, address))
            Transports::add(m_world, address, QString(), QStringLiteral("offline"));
        return Reply::ok(QStringLiteral("failed to connect to %1\n").arg(address));
    }
    const QString phoneId =
        resolves(m_world, host)
            ? Transports::phoneListeningAt(m_world, resolvedHost(m_world, host), portOf(address))
            : QString();
    // adb reaches the address before it looks at its transports, so a dropped connection it still lists as
    // offline does not answer for a port nobody listens on any more.
    if (const auto existing = World::transport(m_world, address);
        existing && (existing->value(QStringLiteral("state")).toString() != QLatin1String("offline") ||
                     !phoneId.isEmpty()))
        return Reply::ok(QStringLiteral("already connected to %1\n").arg(address));
    if (!resolves(m_world, host))
        return Reply::ok(
            QStringLiteral("failed to resolve host: '%1': Name or service not known\n").arg(host));
    if (phoneId.isEmpty())
        return Reply::ok(refused.arg(address, QStringLiteral("Connection refused")));
    Transports::add(m_world, address, phoneId, QStringLiteral("device"));
    return Reply::ok(QStringLiteral("connected to %1\n").arg(address));
}

Reply AdbHost::disconnect(const QStringList &words)
{
    if (words.size() == 1) {
        Transports::removeIf(m_world, [](const QJsonObject &transport) {
            return World::isNetworkSerial(transport.value(QStringLiteral("serial")).toString());
        });
        return Reply::ok(QStringLiteral("disconnected everything\n"));
    }
    const QString address = withPort(words[1]);
    const auto transport = World::transport(m_world, address);
    if (!transport || !World::isNetworkSerial(address))
        return Reply::error(QStringLiteral("error: no such device '%1'\n").arg(address));
    Transports::removeIf(m_world, [&address](const QJsonObject &candidate) {
        return candidate.value(QStringLiteral("serial")).toString() == address;
    });
    return Reply::ok(QStringLiteral("disconnected %1\n").arg(address));
}

// Pairing arrived with adb 30; older clients do not know the word.
Reply AdbHost::pair(const QStringList &words)
{
    if (majorVersion() < 30)
        return Reply::error(QStringLiteral("adb: unknown command pair\n"));
    if (words.size() < 2 || words.size() > 3)
        return Reply::error(QStringLiteral("adb: usage: adb pair HOST[:PORT] [PAIRING CODE]\n"));
    if (words.size() == 2)
        return {QByteArrayLiteral("Enter pairing code: "),
                QByteArrayLiteral("adb: No pairing code provided\n"), 1};
    const QString address = words[1];
    QJsonObject pairing = m_world.value(QStringLiteral("pairing")).toObject();
    QJsonObject entry = pairing.value(address).toObject();
    if (entry.isEmpty())
        return Reply::ok(QStringLiteral("Failed: Unable to start pairing client.\n"));
    if (entry.value(QStringLiteral("code")).toString() != words[2])
        return Reply::ok(QStringLiteral("Failed: Wrong password or connection was dropped.\n"));
    entry.insert(QStringLiteral("paired"), true);
    pairing.insert(address, entry);
    m_world.insert(QStringLiteral("pairing"), pairing);
    return Reply::ok(QStringLiteral("Successfully paired to %1 [guid=%2]\n")
                         .arg(address, entry.value(QStringLiteral("guid")).toString()));
}

// The mDNS browser came with wireless debugging in adb 30.
Reply AdbHost::mdns(const QStringList &words) const
{
    if (majorVersion() < 30)
        return Reply::error(QStringLiteral("adb: unknown command mdns\n"));
    const QString what = words.value(1);
    if (words.size() == 2 && what == QLatin1String("check"))
        return Reply::ok(QStringLiteral("mdns daemon version [Openscreen discovery 0.0.0]\n"));
    if (words.size() == 2 && what == QLatin1String("services"))
        return Reply::ok(WirelessDebugging::services(m_world));
    return Reply::error(QStringLiteral("adb: usage: adb mdns check | services\n"));
}

int AdbHost::majorVersion() const
{
    return installation(m_world, m_program).version.section(QLatin1Char('.'), 0, 0).toInt();
}

} // namespace devsim
