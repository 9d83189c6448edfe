// Network transports in the simulator: tcpip, connect, disconnect, pair, reboot and kill-server change
// the server's table the way the real server does, and the project's wireless service reads the results.
#include "Await.h"
#include "DevSim.h"
#include "Errors.h"
#include "TestHome.h"
#include "WirelessService.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTest>

#include <memory>

using namespace quorvane;
using namespace quorvane::test;

namespace {

struct Run
{
    QByteArray out;
    QByteArray err;
    int exitCode = -1;
};

const QString usbSerial = QStringLiteral("R5CW20ABCDE");
const QString address = QStringLiteral("192.168.1.20:5555");

} // namespace

class TestDevSimWireless final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<DevSim> m_sim;

    Run adb(const QStringList &arguments)
    {
        QProcess process;
        process.start(m_sim->adbPath(), arguments);
        if (!process.waitForFinished(20000))
            qFatal("adb did not finish");
        return {process.readAllStandardOutput(), process.readAllStandardError(), process.exitCode()};
    }

    QStringList serials()
    {
        QStringList result;
        for (const QJsonValue &transport : m_sim->readWorld()[QStringLiteral("transports")].toArray())
            result.append(transport[QStringLiteral("serial")].toString());
        return result;
    }

private slots:
    void init()
    {
        m_sim.reset();
        m_home = std::make_unique<TestHome>();
        m_sim = std::make_unique<DevSim>(*m_home);
        m_sim->setServerRunning(true);
        m_sim->addPhone(usbSerial);
    }

    void cleanup()
    {
        m_sim.reset();
        m_home.reset();
    }

    void tcpipThenConnectAddsTheSamePhoneOverWifi()
    {
        QCOMPARE(adb({QStringLiteral("connect"), address}).out,
                 QByteArray("failed to connect to '192.168.1.20:5555': Connection refused\n"));

        const Run tcpip =
            adb({QStringLiteral("-s"), usbSerial, QStringLiteral("tcpip"), QStringLiteral("5555")});
        QCOMPARE(tcpip.out, QByteArray("restarting in TCP mode port: 5555\n"));
        QCOMPARE(adb({QStringLiteral("connect"), address}).out,
                 QByteArray("connected to 192.168.1.20:5555\n"));
        QCOMPARE(adb({QStringLiteral("connect"), address}).out,
                 QByteArray("already connected to 192.168.1.20:5555\n"));

        QCOMPARE(adb({QStringLiteral("devices"), QStringLiteral("-l")}).out,
                 QByteArray(
                     "List of devices attached\n"
                     "192.168.1.20:5555      device product:shiba model:Pixel_8 device:shiba transport_id:2\n"
                     "R5CW20ABCDE            device usb:1-1 product:shiba model:Pixel_8 device:shiba "
                     "transport_id:1\n\n"));
        QCOMPARE(adb({QStringLiteral("-s"), address, QStringLiteral("shell"), QStringLiteral("getprop"),
                      QStringLiteral("ro.serialno")})
                     .out,
                 QByteArray("R5CW20ABCDE\n"));

        const Run disconnect = adb({QStringLiteral("disconnect"), QStringLiteral("192.168.1.20")});
        QCOMPARE(disconnect.out, QByteArray("disconnected 192.168.1.20:5555\n"));
        QCOMPARE(serials(), QStringList{usbSerial});
    }

    // Wireless debugging takes a new port each time it is switched on, drops the transports to the old one,
    // and is announced on the network under the phone's serial while it is on (adb 30 and newer).
    void wirelessDebuggingAndMdns()
    {
        m_sim->setAdbVersion(QStringLiteral("35.0.2"));
        DevSim::Phone phone = m_sim->phone(QStringLiteral("phone1"));
        phone.set(QStringLiteral("mdnsTag"), QStringLiteral("AbC12d"));
        const int first = phone.setWirelessDebugging(true);
        const QString firstAddress = QStringLiteral("192.168.1.20:%1").arg(first);
        QCOMPARE(adb({QStringLiteral("connect"), firstAddress}).out,
                 "connected to " + firstAddress.toUtf8() + "\n");
        QCOMPARE(adb({QStringLiteral("mdns"), QStringLiteral("check")}).out,
                 QByteArray("mdns daemon version [Openscreen discovery 0.0.0]\n"));
        const QList<QByteArray> announced{"List of discovered mdns services\n",
                                          "adb-R5CW20ABCDE-AbC12d\t_adb-tls-connect._tcp\t"};
        QCOMPARE(adb({QStringLiteral("mdns"), QStringLiteral("services")}).out,
                 announced[0] + announced[1] + firstAddress.toUtf8() + "\n");

        const int second = phone.setWirelessDebugging(true);
        QVERIFY(second != first && second > 1023);
        QVERIFY(!serials().contains(firstAddress));
        QCOMPARE(adb({QStringLiteral("mdns"), QStringLiteral("services")}).out,
                 announced[0] + announced[1] + QStringLiteral("192.168.1.20:%1\n").arg(second).toUtf8());
        QCOMPARE(phone.setWirelessDebugging(false), 0);
        QCOMPARE(adb({QStringLiteral("mdns"), QStringLiteral("services")}).out, announced[0]);

        m_sim->setAdbVersion(QStringLiteral("29.0.6-debian"));
        const Run old = adb({QStringLiteral("mdns"), QStringLiteral("services")});
        QCOMPARE(old.err, QByteArray("adb: unknown command mdns\n"));
        QCOMPARE(old.exitCode, 1);
    }

    void rebootAndKillServerDropNetworkTransports_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<bool>("serverRunningAfter");
        QTest::newRow("reboot") << QStringList{QStringLiteral("-s"), usbSerial, QStringLiteral("reboot")}
                                << true;
        QTest::newRow("kill-server") << QStringList{QStringLiteral("kill-server")} << false;
    }

    void rebootAndKillServerDropNetworkTransports()
    {
        QFETCH(QStringList, command);
        QFETCH(bool, serverRunningAfter);
        m_sim->phone(QStringLiteral("phone1")).alsoWireless();
        QCOMPARE(serials().size(), 2);

        const Run run = adb(command);

        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(serials(), QStringList{usbSerial});
        QCOMPARE(m_sim->readWorld()[QStringLiteral("adb")][QStringLiteral("serverRunning")].toBool(),
                 serverRunningAfter);
    }

    void enableUsbWirelessEndToEnd()
    {
        const WirelessService wireless{m_sim->toolPaths(), Timing{}.scaled(0.05)};

        const TransportSwitchResult result = await(wireless.enableUSBWireless(usbSerial));

        QCOMPARE(result.activeSerial, address);
        QCOMPARE(result.activeConnection, QStringLiteral("wireless"));
        QVERIFY(result.safeToUnplugUSB);
        QCOMPARE(serials(), (QStringList{address, usbSerial}));
        QVERIFY(m_sim->callArguments(QStringLiteral("adb"))
                    .contains(QStringList{QStringLiteral("-s"), usbSerial, QStringLiteral("tcpip"),
                                          QStringLiteral("5555")}));
    }

    // The kernel lists the mobile-data network first; the service still finds the Wi-Fi address, and
    // falls back to the interface's own address when the route table is empty.
    void wifiAddressFromRouteTableOrInterface()
    {
        m_sim->phone(QStringLiteral("phone1")).mobileData(QStringLiteral("10.23.45.67"));
        const Run route = adb({QStringLiteral("-s"), usbSerial, QStringLiteral("shell"), QStringLiteral("ip"),
                               QStringLiteral("route")});
        QCOMPARE(route.out,
                 QByteArray("10.23.45.0/24 dev rmnet_data1 proto kernel scope link src 10.23.45.67 \n"
                            "192.168.1.0/24 dev wlan0 proto kernel scope link src 192.168.1.20 \n"));
        QCOMPARE(await(WirelessService::deviceWiFiIP(ADBService{m_sim->toolPaths()}, usbSerial)),
                 QStringLiteral("192.168.1.20"));

        m_sim->phone(QStringLiteral("phone1")).set(QStringLiteral("ipRoute"), QString());
        QCOMPARE(adb({QStringLiteral("-s"), usbSerial, QStringLiteral("shell"), QStringLiteral("ip"),
                      QStringLiteral("route")})
                     .out,
                 QByteArray());
        QCOMPARE(await(WirelessService::deviceWiFiIP(ADBService{m_sim->toolPaths()}, usbSerial)),
                 QStringLiteral("192.168.1.20"));
    }

    void pairing_data()
    {
        QTest::addColumn<QString>("adbVersion");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");

        QTest::newRow("adb 29 has no pair") << QStringLiteral("29.0.6-debian") << QStringLiteral("123456")
                                            << 1 << QByteArray() << QByteArray("adb: unknown command pair\n");
        QTest::newRow("right code") << QStringLiteral("34.0.5-10900879") << QStringLiteral("123456") << 0
                                    << QByteArray("Successfully paired to 192.168.1.20:37000 "
                                                  "[guid=adb-R5CW20ABCDE-AbC12d]\n")
                                    << QByteArray();
        QTest::newRow("wrong code") << QStringLiteral("34.0.5-10900879") << QStringLiteral("654321") << 0
                                    << QByteArray("Failed: Wrong password or connection was dropped.\n")
                                    << QByteArray();
    }

    void pairing()
    {
        QFETCH(QString, adbVersion);
        QFETCH(QString, code);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        m_sim->setAdbVersion(adbVersion);
        m_sim->addPairing(QStringLiteral("192.168.1.20:37000"), QStringLiteral("123456"),
                          QStringLiteral("adb-R5CW20ABCDE-AbC12d"));

        const Run run = adb({QStringLiteral("pair"), QStringLiteral("192.168.1.20:37000"), code});

        QCOMPARE(run.out, out);
        QCOMPARE(run.err, err);
        QCOMPARE(run.exitCode, exitCode);
    }

    void connectOutcomesReachTheService_data()
    {
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("error");
        QTest::newRow("timeout") << QStringLiteral("timeout")
                                 << QStringLiteral(
                                        "failed to connect to '192.168.1.50:5555': Connection timed out");
        QTest::newRow("unreachable") << QStringLiteral("unreachable")
                                     << QStringLiteral(
                                            "failed to connect to '192.168.1.50:5555': No route to host");
    }

    void connectOutcomesReachTheService()
    {
        QFETCH(QString, outcome);
        QFETCH(QString, error);
        m_sim->setConnectOutcome(QStringLiteral("192.168.1.50:5555"), outcome);
        const WirelessService wireless{m_sim->toolPaths(), Timing{}.scaled(0.05)};

        try {
            await(wireless.connectDevice(QStringLiteral("192.168.1.50:5555")));
            QFAIL("connect should have failed");
        } catch (const ScrcpyError &failure) {
            QCOMPARE(failure.text(), error);
        }
    }

    void faultsDelayAndWearOff()
    {
        QJsonObject fault{
            {QStringLiteral("args"), QJsonArray{QStringLiteral("shell"), QStringLiteral("settings")}},
            {QStringLiteral("exitCode"), 1},
            {QStringLiteral("stderr"), QStringLiteral("cmd: Failure calling service settings\n")},
            {QStringLiteral("delayMs"), 300},
            {QStringLiteral("times"), 1}};
        m_sim->addFault(fault);
        const QStringList get{QStringLiteral("-s"),
                              usbSerial,
                              QStringLiteral("shell"),
                              QStringLiteral("settings"),
                              QStringLiteral("get"),
                              QStringLiteral("global"),
                              QStringLiteral("stay_on_while_plugged_in")};

        QElapsedTimer clock;
        clock.start();
        const Run failed = adb(get);
        QVERIFY(clock.elapsed() >= 300);
        QCOMPARE(failed.exitCode, 1);
        QCOMPARE(failed.err, QByteArray("cmd: Failure calling service settings\n"));

        const Run worked = adb(get);
        QCOMPARE(worked.exitCode, 0);
        QCOMPARE(worked.out, QByteArray("0\n"));
    }

    void pushRecordsTheFileOnThePhone()
    {
        const QString local = m_home->file(QStringLiteral("notes.txt"));
        QFile file(local);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("twelve bytes");
        file.close();

        const Run push = adb({QStringLiteral("-s"), usbSerial, QStringLiteral("push"), local,
                              QStringLiteral("/sdcard/Download/")});
        const Run missing = adb({QStringLiteral("-s"), usbSerial, QStringLiteral("push"),
                                 QStringLiteral("/nonexistent/file"), QStringLiteral("/sdcard/Download/")});

        QCOMPARE(push.exitCode, 0);
        QVERIFY2(push.out.startsWith(local.toUtf8() + ": 1 file pushed, 0 skipped."), push.out.constData());
        QVERIFY(push.out.endsWith(" (12 bytes in 0.001s)\n"));
        const QJsonObject files =
            m_sim->phone(QStringLiteral("phone1")).read()[QStringLiteral("files")].toObject();
        QCOMPARE(files[QStringLiteral("/sdcard/Download/notes.txt")][QStringLiteral("size")].toInt(), 12);
        QCOMPARE(missing.exitCode, 1);
        QCOMPARE(missing.err,
                 QByteArray("adb: error: cannot stat '/nonexistent/file': No such file or directory\n"));
    }
};

QTEST_GUILESS_MAIN(TestDevSimWireless)
#include "tst_devsim_wireless.moc"
