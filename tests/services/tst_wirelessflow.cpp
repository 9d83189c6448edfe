#include "AppPaths.h"
#include "DevSim.h"
#include "FailureText.h"
#include "ProfileStore.h"
#include "TestHome.h"
#include "WirelessService.h"
#include "Words.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QTest>

#include <memory>

using namespace quorvane;
using test::await;
using test::DevSim;
using test::failureOf;
using test::words;

namespace {

const QString usbSerial = QStringLiteral("R5CW20ABCDE");
const QString wifiSerial = QStringLiteral("192.168.1.20:5555");

QDateTime callTime(const QJsonObject &call)
{
    return QDateTime::fromString(call.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
}

} // namespace

// Pairing, connecting and moving a phone between USB and Wi-Fi, against the simulated adb.
class TestWirelessFlow final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestHome> m_home;
    std::unique_ptr<DevSim> m_sim;
    const Timing m_timing = Timing{}.scaled(0.2);

    WirelessService service() const { return WirelessService{m_sim->toolPaths(), m_timing}; }
    QList<QStringList> adbCalls() const { return m_sim->callArguments(QStringLiteral("adb")); }
    QStringList transportSerials() const
    {
        QStringList serials;
        for (const QJsonValue &transport : m_sim->readWorld().value(QStringLiteral("transports")).toArray())
            serials << transport.toObject().value(QStringLiteral("serial")).toString();
        serials.sort();
        return serials;
    }
    QList<RememberedWirelessDevice> remembered() const { return await(service().listRemembered()); }

private slots:
    void init()
    {
        m_home = std::make_unique<test::TestHome>();
        m_sim = std::make_unique<DevSim>(*m_home);
    }

    void cleanup()
    {
        m_sim.reset();
        m_home.reset();
    }

    void usbToWifiEndToEnd()
    {
        m_sim->addPhone(usbSerial);
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        const TransportSwitchResult result = await(service().enableUSBWireless(usbSerial));
        QCOMPARE(result, (TransportSwitchResult{
                             wifiSerial, QStringLiteral("wireless"),
                             QStringLiteral("Wireless connection established at "
                                            "192.168.1.20:5555. You can unplug the USB cable now."),
                             true}));

        QCOMPARE(adbCalls(),
                 (QList<QStringList>{words("devices -l"), words("-s R5CW20ABCDE shell ip route"),
                                     words("-s R5CW20ABCDE tcpip 5555"), words("connect 192.168.1.20:5555"),
                                     words("-s 192.168.1.20:5555 shell getprop ro.boot.serialno"),
                                     words("-s 192.168.1.20:5555 shell getprop ro.product.model")}));
        const QList<QJsonObject> calls = m_sim->calls();
        QVERIFY(callTime(calls.at(2)).msecsTo(callTime(calls.at(3))) >= m_timing.tcpipToConnect.count());
        QCOMPARE(transportSerials(), (QStringList{wifiSerial, usbSerial}));

        // The remembered entry's fields are the CLI's "remembered" rows; its time is now.
        const QList<RememberedWirelessDevice> devices = remembered();
        QCOMPARE(devices.size(), 1);
        QVERIFY(devices[0].lastUsed >= quint64(before) && devices[0].lastUsed <= quint64(before + 5));
    }

    void wifiAddressFromTheInterfaceWhenRoutesHaveNone()
    {
        m_sim->addPhone(usbSerial).set(QStringLiteral("ipRoute"), QStringLiteral("\n"));
        QCOMPARE(await(service().enableUSBWireless(usbSerial)).activeSerial, wifiSerial);
        QCOMPARE(adbCalls().at(2), words("-s R5CW20ABCDE shell ip -f inet addr show wlan0"));
    }

    void enableRefusals_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("wifi");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<int>("commands");
        QTest::newRow("gone") << QStringLiteral("NOSUCH") << QStringLiteral("device") << true
                              << QStringLiteral(
                                     "deviceState: The selected USB device is no longer connected.")
                              << 1;
        QTest::newRow("unauthorized")
            << usbSerial << QStringLiteral("unauthorized") << true
            << QStringLiteral("invalidInput: The selected device is not authorized for ADB.") << 1;
        QTest::newRow("no wi-fi") << usbSerial << QStringLiteral("device") << false
                                  << QStringLiteral(
                                         "invalidInput: Could not detect the phone's Wi-Fi IP address. "
                                         "Make sure the phone is connected to Wi-Fi.")
                                  << 3;
    }

    void enableRefusals()
    {
        QFETCH(QString, serial);
        QFETCH(QString, state);
        QFETCH(bool, wifi);
        QFETCH(QString, failure);
        QFETCH(int, commands);
        auto phone = m_sim->addPhone(usbSerial);
        if (!wifi)
            phone.noWifi();
        phone.state(state);
        QCOMPARE(failureOf(service().enableUSBWireless(serial)), failure);
        QCOMPARE(adbCalls().size(), commands);
    }

    // Once tcpip has answered, the phone listens over Wi-Fi until it restarts: a failed connect says so.
    void failuresAfterTheChecks_data()
    {
        QTest::addColumn<bool>("tcpipFails");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<int>("commands");
        QTest::newRow("tcpip reports a failure")
            << true << QStringLiteral("unchecked: error: unable to connect for tcpip") << 3;
        QTest::newRow("connect refused after tcpip")
            << false
            << QStringLiteral(
                   "unchecked: failed to connect to '192.168.1.20:5555': Connection refused. The phone "
                   "now also accepts ADB over Wi-Fi on port 5555 until it restarts: check that it is "
                   "on the same Wi-Fi network as this computer, then try again.")
            << 4;
    }

    void failuresAfterTheChecks()
    {
        QFETCH(bool, tcpipFails);
        QFETCH(QString, failure);
        QFETCH(int, commands);
        m_sim->addPhone(usbSerial);
        if (tcpipFails)
            m_sim->addFault(words("tcpip 5555"), 0, QString(),
                            QStringLiteral("error: unable to connect for tcpip\n"));
        else
            m_sim->setConnectOutcome(wifiSerial, QStringLiteral("refused"));
        QCOMPARE(failureOf(service().enableUSBWireless(usbSerial)), failure);
        QCOMPARE(adbCalls().size(), commands);
        QVERIFY(!QFile::exists(AppPaths::wirelessDevicesFile()));
    }

    void switchBackToUsb()
    {
        m_sim->addPhone(usbSerial).alsoWireless();
        WirelessStoreFile{{{wifiSerial, QStringLiteral("Pixel 8"), 100, {}}}}.write();
        const TransportSwitchResult result = await(service().switchToUSB(wifiSerial));
        QCOMPARE(result,
                 (TransportSwitchResult{usbSerial, QStringLiteral("usb"),
                                        QStringLiteral("USB connection is active. Wireless ADB has been "
                                                       "disconnected."),
                                        false}));
        QCOMPARE(adbCalls().last(), words("disconnect 192.168.1.20:5555"));
        QCOMPARE(transportSerials(), QStringList{usbSerial});
        // The address stays remembered, now shown as not connected.
        QCOMPARE(remembered(),
                 (QList<RememberedWirelessDevice>{{wifiSerial, QStringLiteral("Pixel 8"), false, 100, {}}}));
    }

    // Without one USB twin to move to, the phone stays on Wi-Fi.
    void switchToUsbRefusals_data()
    {
        QTest::addColumn<bool>("twoUsbTwins");
        QTest::newRow("wireless only") << false;
        QTest::newRow("two usb phones look the same") << true;
    }

    void switchToUsbRefusals()
    {
        QFETCH(bool, twoUsbTwins);
        if (twoUsbTwins) {
            m_sim->addPhone(usbSerial).alsoWireless();
            m_sim->addPhone(QStringLiteral("TWIN0001"))
                .property(QStringLiteral("ro.boot.serialno"), usbSerial);
        } else {
            m_sim->addPhone(wifiSerial, DevSim::Connection::Wireless);
        }
        QCOMPARE(failureOf(service().switchToUSB(wifiSerial)),
                 QStringLiteral("invalidInput: Connect this phone with a USB data cable and approve USB "
                                "debugging, then try Use USB Instead again."));
        for (const QStringList &call : adbCalls())
            QVERIFY2(call.first() != QLatin1String("disconnect"), qPrintable(call.join(QLatin1Char(' '))));
    }

    void forgetWithUsbSibling()
    {
        m_sim->addPhone(usbSerial).alsoWireless();
        WirelessStoreFile{{{QStringLiteral("10.0.0.2:5555"), QStringLiteral("Old"), 300, {}},
                           {wifiSerial, QStringLiteral("Pixel 8"), 200, {}},
                           {QStringLiteral("10.0.0.3:5555"), QStringLiteral("Older"), 100, {}}}}
            .write();
        const TransportSwitchResult result =
            await(service().forgetDevice(QStringLiteral(" 192.168.1.20:5555\n")));
        QCOMPARE(result,
                 (TransportSwitchResult{usbSerial, QStringLiteral("usb"),
                                        QStringLiteral("Wireless connection disconnected and forgotten. USB "
                                                       "is now selected."),
                                        false}));
        QCOMPARE(WirelessStoreFile::read(),
                 (WirelessStoreFile{{{QStringLiteral("10.0.0.2:5555"), QStringLiteral("Old"), 300, {}},
                                     {QStringLiteral("10.0.0.3:5555"), QStringLiteral("Older"), 100, {}}}}));
        QCOMPARE(adbCalls().last(), words("disconnect 192.168.1.20:5555"));
        QCOMPARE(transportSerials(), QStringList{usbSerial});
    }

    void connectRemembersAndRefreshes()
    {
        auto phone = m_sim->addPhone(wifiSerial, DevSim::Connection::Wireless);
        m_sim->addPhone(QStringLiteral("10.0.0.7:5555"), DevSim::Connection::Wireless);
        WirelessStoreFile{{{QStringLiteral("10.0.0.7:5555"), QStringLiteral("Other"), 4000000000, {}},
                           {wifiSerial, QStringLiteral("Pixel 8"), 100, {}}}}
            .write();
        phone.model(QStringLiteral("unknown"));
        QCOMPARE(await(service().connectDevice(QStringLiteral("192.168.1.20:5555"))),
                 QStringLiteral("already connected to 192.168.1.20:5555"));
        const QList<RememberedWirelessDevice> devices = remembered();
        QCOMPARE(devices.size(), 2);
        QCOMPARE(devices[0].address, QStringLiteral("10.0.0.7:5555"));
        QCOMPARE(devices[1].address, wifiSerial);
        QCOMPARE(devices[1].label, wifiSerial);
        QVERIFY(devices[1].lastUsed > 100);
    }

    void connectOverAnUnreadableStore()
    {
        m_sim->addPhone(wifiSerial, DevSim::Connection::Wireless).set(QStringLiteral("tcpipPort"), 5555);
        m_sim->updateWorld(
            [](QJsonObject &world) { world.insert(QStringLiteral("transports"), QJsonArray{}); });
        test::writeFile(AppPaths::wirelessDevicesFile(), "not json");
        QCOMPARE(await(service().connectDevice(wifiSerial)),
                 QStringLiteral("connected to 192.168.1.20:5555"));
        const auto devices = WirelessStoreFile::read().devices;
        QCOMPARE(devices.size(), 1);
        QCOMPARE(devices[0].label, QStringLiteral("Pixel 8"));
    }

    // Wireless debugging listens on a new port each time it is switched on. A remembered phone is found
    // again among the services adb sees on the network, by its hardware serial (or, for an entry written
    // before those were kept, as the one phone announced at its host), and stays one phone with what was
    // learned for it.
    void rememberedPhoneWhosePortChanged_data()
    {
        QTest::addColumn<QString>("adbVersion");
        QTest::addColumn<bool>("entryKnowsPhone");
        QTest::addColumn<bool>("stillAnnounced");
        QTest::addColumn<QString>("failure"); // "" when it reconnects; %1 is the old address
        QTest::newRow("known phone") << QStringLiteral("35.0.2") << true << true << QString();
        QTest::newRow("entry from before phones were known")
            << QStringLiteral("35.0.2") << false << true << QString();
        QTest::newRow("adb without mdns")
            << QStringLiteral("29.0.6-debian") << true << true
            << QStringLiteral(
                   "unchecked: failed to connect to '%1': Connection refused. Wireless debugging "
                   "picks a new port each time it is turned on, and this adb (29.0.6) cannot look the "
                   "new one up: read it under \"IP address & Port\" on the phone's Wireless "
                   "debugging screen and connect to that address.");
        QTest::newRow("wireless debugging off")
            << QStringLiteral("35.0.2") << true << false
            << QStringLiteral("unchecked: failed to connect to '%1': Connection refused");
    }

    void rememberedPhoneWhosePortChanged()
    {
        QFETCH(QString, adbVersion);
        QFETCH(bool, entryKnowsPhone);
        QFETCH(bool, stillAnnounced);
        QFETCH(QString, failure);
        m_sim->setAdbVersion(adbVersion);
        DevSim::Phone phone = m_sim->addPhone(usbSerial);
        m_sim->updateWorld(
            [](QJsonObject &world) { world.insert(QStringLiteral("transports"), QJsonArray{}); });
        const QString oldAddress = QStringLiteral("192.168.1.20:%1").arg(phone.setWirelessDebugging(true));
        const int newPort = phone.setWirelessDebugging(stillAnnounced);
        const QString newAddress = QStringLiteral("192.168.1.20:%1").arg(newPort);
        const std::optional<QString> knownSerial = entryKnowsPhone ? std::optional(usbSerial) : std::nullopt;
        const WirelessStoreFile before{{{oldAddress, QStringLiteral("Pixel 8"), 100, knownSerial}}};
        before.write();
        LaunchConfig learned = LaunchConfig::defaultRecord();
        learned.mode = QStringLiteral("mirror");
        learned.maxSize = 1024;
        ProfileStore().remember(learned, PhoneIdentity(oldAddress, knownSerial));

        if (!failure.isEmpty()) {
            QCOMPARE(failureOf(service().connectDevice(oldAddress)), failure.arg(oldAddress));
            QCOMPARE(WirelessStoreFile::read(), before);
            return;
        }
        QCOMPARE(await(service().connectDevice(oldAddress)),
                 QStringLiteral("The phone's wireless debugging port changed; reconnected at %1.")
                     .arg(newAddress));
        const QList<RememberedWirelessDevice> rows = remembered();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].address, newAddress);
        QCOMPARE(rows[0].hardwareSerial, std::optional(usbSerial));
        QVERIFY(rows[0].connected && rows[0].lastUsed > 100);
        QCOMPARE(ProfileStore().load(PhoneIdentity(newAddress, usbSerial), QStringLiteral("mirror"))->maxSize,
                 1024u);
        QCOMPARE(transportSerials(), QStringList{newAddress});
    }

    void listingShowsOfflineAsNotConnected()
    {
        m_sim->addTransport(QStringLiteral("10.0.0.5:5555"), QStringLiteral("offline"));
        WirelessStoreFile{{{QStringLiteral("10.0.0.5:5555"), QStringLiteral("Tablet"), 5, {}}}}.write();
        QCOMPARE(remembered(),
                 (QList<RememberedWirelessDevice>{
                     {QStringLiteral("10.0.0.5:5555"), QStringLiteral("Tablet"), false, 5, {}}}));
    }

    // An error line from adb pair is a failure whatever its exit code. (An adb too old to pair is named
    // before anything is sent: quorvanectl's wireless refusals and the wireless screen show it.)
    void pairingErrorLineFails()
    {
        m_sim->setAdbVersion(QStringLiteral("34.0.5-10900879"));
        m_sim->addFault(words("pair"), 0, QString(),
                        QStringLiteral("error: protocol fault (couldn't read status message)\n"));
        const QString address = QStringLiteral("192.168.1.20:37000");
        QCOMPARE(failureOf(service().pairDevice(address, QStringLiteral(" 123456 "))),
                 QStringLiteral("unchecked: error: protocol fault (couldn't read status message)"));
        // The code reaches adb trimmed.
        QVERIFY(adbCalls().contains(QStringList{QStringLiteral("pair"), address, QStringLiteral("123456")}));
        QVERIFY(!QFile::exists(AppPaths::wirelessDevicesFile()));
    }

    void inputChecksRunNothing_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("failure");
        const QString address =
            QStringLiteral("invalidInput: Enter a valid host:port address, for example 192.168.1.20:37123.");
        QTest::newRow("pair, both bad: address first")
            << QStringLiteral("pair") << QString() << QStringLiteral("1") << address;
        QTest::newRow("connect, option-like")
            << QStringLiteral("connect") << QStringLiteral("-s x") << QString() << address;
        QTest::newRow("forget, empty")
            << QStringLiteral("forget") << QStringLiteral("  ") << QString() << address;
    }

    void inputChecksRunNothing()
    {
        QFETCH(QString, operation);
        QFETCH(QString, address);
        QFETCH(QString, code);
        QFETCH(QString, failure);
        const WirelessService wireless = service();
        if (operation == QLatin1String("pair"))
            QCOMPARE(failureOf(wireless.pairDevice(address, code)), failure);
        else if (operation == QLatin1String("connect"))
            QCOMPARE(failureOf(wireless.connectDevice(address)), failure);
        else
            QCOMPARE(failureOf(wireless.forgetDevice(address)), failure);
        QCOMPARE(m_sim->calls().size(), 0);
        QVERIFY(!QFile::exists(AppPaths::wirelessDevicesFile()));
    }

    void hardwareSerialRules_data()
    {
        QTest::addColumn<QString>("boot");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("serial"); // "" for none
        QTest::newRow("boot wins") << QStringLiteral("B1") << QStringLiteral("P1") << QStringLiteral("B1");
        QTest::newRow("boot unknown hides the other")
            << QStringLiteral("unknown") << QStringLiteral("P1") << QString();
        QTest::newRow("boot empty") << QString() << QStringLiteral("P1") << QStringLiteral("P1");
        QTest::newRow("both unusable") << QString() << QStringLiteral("unknown") << QString();
    }

    void hardwareSerialRules()
    {
        QFETCH(QString, boot);
        QFETCH(QString, plain);
        QFETCH(QString, serial);
        m_sim->addPhone(usbSerial)
            .property(QStringLiteral("ro.boot.serialno"), boot)
            .property(QStringLiteral("ro.serialno"), plain);
        // Every real flow lists devices first, which starts the server; this one asks directly.
        m_sim->setServerRunning(true);
        const ADBService adb{m_sim->toolPaths()};
        QCOMPARE(await(adb.hardwareSerial(usbSerial)).value_or(QString()), serial);
    }

    void samePhoneByIdentityWhenSerialsDiffer()
    {
        m_sim->addPhone(usbSerial);
        m_sim->addPhone(QStringLiteral("OTHER0001"));
        const ADBService adb{m_sim->toolPaths()};
        const QList<DeviceInfo> devices = await(adb.listDevices());
        QCOMPARE(devices.size(), 2);
        // Both simulated phones are Pixel 8 "shiba": equal names make them one phone in the fallback.
        QVERIFY(await(WirelessService::samePhysicalPhone(adb, devices[0], devices[1])));
        DeviceInfo stripped = devices[1];
        stripped.product.reset();
        QVERIFY(!await(WirelessService::samePhysicalPhone(adb, devices[0], stripped)));
    }
};

QTEST_GUILESS_MAIN(TestWirelessFlow)
#include "tst_wirelessflow.moc"
