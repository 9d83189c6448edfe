#include "ADBService.h"
#include "DeviceRows.h"

#include <QTest>

using namespace quorvane;
using namespace quorvane::test;

class TestDeviceList final : public QObject
{
    Q_OBJECT

private slots:
    void parseDevices_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QList<DeviceInfo>>("expected");

        QTest::newRow("header only") << "List of devices attached\n\n" << QList<DeviceInfo>{};
        QTest::newRow("no header") << "error: cannot connect to daemon\nR5CW20ABCDE device\n"
                                   << QList<DeviceInfo>{};
        QTest::newRow("daemon start lines before the header")
            << "* daemon not running; starting now at tcp:5037\n* daemon started successfully\n"
               "List of devices attached\nemulator-5554          offline transport_id:1\n\n"
            << QList<DeviceInfo>{device("emulator-5554", "offline", "usb")};
        QTest::newRow("daemon notice after the header")
            << "List of devices attached\n* daemon started successfully\n"
            << QList<DeviceInfo>{};
        QTest::newRow("unauthorized usb")
            << "List of devices attached\n0A1B2C3D4E5F           unauthorized usb:1-2 transport_id:3\n"
            << QList<DeviceInfo>{onPort(device("0A1B2C3D4E5F", "unauthorized", "usb"), "1-2")};
        QTest::newRow("wireless with names")
            << "List of devices attached\n192.168.1.20:5555      device product:a52q model:SM_A525F "
               "device:a52q "
               "transport_id:7\n"
            << QList<DeviceInfo>{device("192.168.1.20:5555", "device", "wireless", QStringLiteral("SM_A525F"),
                                        QStringLiteral("a52q"), QStringLiteral("a52q"))};
        QTest::newRow("mdns serial")
            << "List of devices attached\nadb-R5CW20ABCDE-AbC12d._adb-tls-connect._tcp device "
               "product:dm1qxeea "
               "model:SM_S911B device:dm1q transport_id:9\n"
            << QList<DeviceInfo>{device("adb-R5CW20ABCDE-AbC12d._adb-tls-connect._tcp", "device", "wireless",
                                        QStringLiteral("SM_S911B"), QStringLiteral("dm1qxeea"),
                                        QStringLiteral("dm1q"))};
        QTest::newRow("no permissions, long listing")
            << "List of devices attached\n9A8B7C6D               no permissions (missing udev rules? user is "
               "in the plugdev group); see [http://developer.android.com/tools/device.html] usb:1-3 "
               "transport_id:4\n"
            << QList<DeviceInfo>{onPort(device("9A8B7C6D", "no permissions", "usb"), "1-3")};
        QTest::newRow("no permissions, short listing")
            << "List of devices attached\n0123456789ABCDEF\tno permissions (missing udev rules? user is in "
               "the plugdev group); see [http://developer.android.com/tools/device.html]\n\n"
            << QList<DeviceInfo>{device("0123456789ABCDEF", "no permissions", "usb")};
        QTest::newRow("no permissions, older adb wording")
            << "List of devices attached\n9A8B7C6D\tno permissions (user in plugdev group; are your udev "
               "rules wrong?); see [http://developer.android.com/tools/device.html]\n"
            << QList<DeviceInfo>{device("9A8B7C6D", "no permissions", "usb")};
        QTest::newRow("no permissions, oldest adb without a notice")
            << "List of devices attached\n????????????\tno permissions\n"
            << QList<DeviceInfo>{device("????????????", "no permissions", "usb")};
        QTest::newRow("a lone 'no' keeps the second-word rule")
            << "List of devices attached\n9A8B7C6D no usb:1-3\n"
            << QList<DeviceInfo>{onPort(device("9A8B7C6D", "no", "usb"), "1-3")};
        QTest::newRow("other states are one word")
            << "List of devices attached\nR5CW20ABCDE recovery usb:1-1 product:dm1qxeea\n"
               "emulator-5554 authorizing transport_id:2\n"
            << QList<DeviceInfo>{
                   onPort(device("R5CW20ABCDE", "recovery", "usb", std::nullopt, QStringLiteral("dm1qxeea")),
                          "1-1"),
                   device("emulator-5554", "authorizing", "usb")};
        QTest::newRow("serial only") << "List of devices attached\n\tLONELY  \n"
                                     << QList<DeviceInfo>{device("LONELY", "unknown", "usb")};
        QTest::newRow("empty model value and duplicate keys")
            << "List of devices attached\nABC device model: product:one product:two device:x:y\n"
            << QList<DeviceInfo>{
                   device("ABC", "device", "usb", QString(), QStringLiteral("two"), QStringLiteral("x:y"))};
        QTest::newRow("order kept, no de-duplication")
            << "List of devices attached\n"
               "R5CW20ABCDE            device usb:1-1 product:dm1qxeea model:SM_S911B device:dm1q "
               "transport_id:1\n"
               "192.168.1.20:5555      device product:dm1qxeea model:SM_S911B device:dm1q transport_id:7\n\n"
            << QList<DeviceInfo>{onPort(device("R5CW20ABCDE", "device", "usb", QStringLiteral("SM_S911B"),
                                               QStringLiteral("dm1qxeea"), QStringLiteral("dm1q")),
                                        "1-1"),
                                 device("192.168.1.20:5555", "device", "wireless", QStringLiteral("SM_S911B"),
                                        QStringLiteral("dm1qxeea"), QStringLiteral("dm1q"))};
    }

    void parseDevices()
    {
        QFETCH(QString, output);
        QFETCH(QList<DeviceInfo>, expected);
        const QList<DeviceInfo> devices = ADBService::parseDevices(output);
        QCOMPARE(devices.size(), expected.size());
        for (qsizetype i = 0; i < devices.size(); ++i) {
            QCOMPARE(devices[i].serial, expected[i].serial);
            QCOMPARE(devices[i].state, expected[i].state);
            QCOMPARE(devices[i].model, expected[i].model);
            QCOMPARE(devices[i].product, expected[i].product);
            QCOMPARE(devices[i].device, expected[i].device);
            QCOMPARE(devices[i].connectionKind, expected[i].connectionKind);
        }
    }

    void emptyModelIsPresentButEmpty()
    {
        const auto devices =
            ADBService::parseDevices(QStringLiteral("List of devices attached\nA device model:\n"));
        QVERIFY(devices.at(0).model.has_value());
        QCOMPARE(devices.at(0).displayName(), QString());
    }

    void displayNameFallsBackToSerial()
    {
        const auto devices = ADBService::parseDevices(QStringLiteral("List of devices attached\nA device\n"));
        QCOMPARE(devices.at(0).displayName(), QStringLiteral("A"));
    }
};

QTEST_GUILESS_MAIN(TestDeviceList)
#include "tst_devicelist.moc"
