#include "ADBService.h"
#include "DoctorService.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace quorvane;

namespace {

using Level = DoctorFinding::Level;

// What adb cannot open, the doctor fixes with a udev rule for the vendor the kernel names on that port.
QString noPermissions(const QString &serial, const QString &vendor, const QString &lookup = {})
{
    return QStringLiteral(
               "warning|USB permission needed|%1 is connected, but this user may not open its USB device "
               "(adb "
               "reports 'no permissions').|Install the android-sdk-platform-tools-common package first: its "
               "udev rules cover most phones. Otherwise add yourself to the plugdev group (sudo usermod -aG "
               "plugdev $USER, then log out and in) and create /etc/udev/rules.d/51-android.rules containing "
               "the line SUBSYSTEM==\"usb\", ATTR{idVendor}==\"%2\", MODE=\"0660\", GROUP=\"plugdev\"%3. "
               "Then run sudo udevadm control --reload-rules and replug the phone.")
        .arg(serial, vendor, lookup);
}

const QString lsusbHint =
    QStringLiteral(", where VENDOR is the phone's vendor id: the four digits before the "
                   "colon in its ID line of lsusb (18d1 in 18d1:4ee7)");

QString describe(const QList<DoctorFinding> &findings)
{
    QStringList lines;
    for (const DoctorFinding &finding : findings)
        lines << DoctorFinding::toString(finding.level) + QLatin1Char('|') + finding.title +
                     QLatin1Char('|') + finding.detail + QLatin1Char('|') +
                     finding.action.value_or(QStringLiteral("-"));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

// What the doctor says about each row of the device list.
class TestDoctorFindings final : public QObject
{
    Q_OBJECT

private slots:
    void deviceFindings_data()
    {
        QTest::addColumn<QString>("listing");
        QTest::addColumn<QString>("findings");
        QTest::newRow("one phone over usb and wi-fi")
            << QStringLiteral("R5CW20ABCDE device usb:1-1 product:dm1q model:SM_S911B device:dm1q\n"
                              "192.168.1.20:5555 device product:dm1q model:SM_S911B device:dm1q\n")
            << QStringLiteral("ok|Device authorized|SM S911B is ready for control.|-");
        QTest::newRow("no model") << QStringLiteral("emulator-5554 device\n")
                                  << QStringLiteral(
                                         "ok|Device authorized|emulator-5554 is ready for control.|-");
        QTest::newRow("unauthorized without product")
            << QStringLiteral("0A1B2C3D4E5F unauthorized usb:1-2\n")
            << QStringLiteral("warning|USB debugging approval needed|0A1B2C3D4E5F is connected but not "
                              "authorized.|Unlock the phone and tap Allow on the USB debugging prompt.");
        QTest::newRow("recovery") << QStringLiteral("R5 recovery\n")
                                  << QStringLiteral(
                                         "info|Device needs attention|R5 reports state 'recovery'.|"
                                         "Reconnect the device and refresh.");
        QTest::newRow("no permissions")
            << QStringLiteral(
                   "9A8B7C6D               no permissions (missing udev rules? user is in the plugdev "
                   "group); see [http://developer.android.com/tools/device.html] usb:1-3 "
                   "transport_id:4\n")
            << noPermissions(QStringLiteral("9A8B7C6D"), QStringLiteral("18d1"));
        QTest::newRow("no permissions, vendor written in capitals")
            << QStringLiteral("9A no permissions (user in plugdev group); see [x] usb:2-1.4\n")
            << noPermissions(QStringLiteral("9A"), QStringLiteral("04e8"));
        QTest::newRow("no permissions, port unknown to the kernel")
            << QStringLiteral("9A no permissions (user in plugdev group); see [x] usb:3-9\n")
            << noPermissions(QStringLiteral("9A"), QStringLiteral("VENDOR"), lsusbHint);
        QTest::newRow("no permissions, no port listed")
            << QStringLiteral("9A no permissions (user in plugdev group); see [x]\n")
            << noPermissions(QStringLiteral("9A"), QStringLiteral("VENDOR"), lsusbHint);
        QTest::newRow("no permissions, a port that climbs out of the folder")
            << QStringLiteral("9A no permissions (user in plugdev group); see [x] usb:../1-3\n")
            << noPermissions(QStringLiteral("9A"), QStringLiteral("VENDOR"), lsusbHint);
        QTest::newRow("same serial twice without identity")
            << QStringLiteral("R5 offline\nR5 device model:X\n")
            << QStringLiteral(
                   "warning|Device offline|R5 is visible to ADB but not responding.|Reconnect USB or "
                   "restart Wireless debugging, then refresh.");
        QTest::newRow("partial identity does not merge")
            << QStringLiteral("A device model:X product:p\nB device model:X product:p\n")
            << QStringLiteral("ok|Device authorized|X is ready for control.|-\n"
                              "ok|Device authorized|X is ready for control.|-");
    }

    void deviceFindings()
    {
        QFETCH(QString, listing);
        QFETCH(QString, findings);
        // The kernel's USB folder as it looks with a Pixel on port 1-3 and a Samsung on 2-1.4.
        const QTemporaryDir usb;
        for (const auto &[port, vendor] : {std::pair{"1-3", "18d1\n"}, std::pair{"2-1.4", "04E8\n"}}) {
            test::writeFile(usb.path() + QLatin1Char('/') + QLatin1String(port) + QStringLiteral("/idVendor"),
                            vendor);
        }
        DoctorService doctor;
        doctor.usbDevicesFolder = usb.path();
        const auto devices = ADBService::parseDevices(QStringLiteral("List of devices attached\n") + listing);
        QCOMPARE(describe(doctor.deviceFindings(devices)), findings);
    }

    // Said only when the server scrcpy is told to use is not the one that came with it.
    void foreignServer_data()
    {
        QTest::addColumn<QString>("scrcpy");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("installed");
        QTest::newRow("release archive, another install's server") << "archive/scrcpy"
                                                                   << "other/scrcpy-server"
                                                                   << "archive/scrcpy-server";
        QTest::newRow("package, another install's server") << "usr/bin/scrcpy"
                                                           << "other/scrcpy-server"
                                                           << "usr/share/scrcpy/scrcpy-server";
        QTest::newRow("its own server") << "archive/scrcpy"
                                        << "archive/scrcpy-server" << QString();
        QTest::newRow("no SCRCPY_SERVER_PATH") << "archive/scrcpy" << QString() << QString();
        QTest::newRow("no server beside it to compare") << "bare/scrcpy"
                                                        << "other/scrcpy-server" << QString();
    }

    void foreignServer()
    {
        QFETCH(QString, scrcpy);
        QFETCH(QString, server);
        QFETCH(QString, installed);
        const QTemporaryDir root;
        for (const char *file : {"archive/scrcpy", "archive/scrcpy-server", "usr/bin/scrcpy",
                                 "usr/share/scrcpy/scrcpy-server", "other/scrcpy-server", "bare/scrcpy"}) {
            const QString path = root.filePath(QLatin1String(file));
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        }
        const auto at = [&root](const QString &relative) { return root.filePath(relative); };
        const std::optional<DoctorFinding> finding = DoctorService::foreignServerFinding(
            at(scrcpy), server.isEmpty() ? std::nullopt : std::optional(at(server)));
        QCOMPARE(
            finding ? describe({*finding}) : QString(),
            installed.isEmpty()
                ? QString()
                : QStringLiteral("warning|scrcpy server from another install|SCRCPY_SERVER_PATH names %1, "
                                 "not %2, which came with %3. When the two come from different scrcpy "
                                 "versions, every session fails at once.|Unset SCRCPY_SERVER_PATH, or "
                                 "point it at %2.")
                      .arg(at(server), QFileInfo(at(installed)).canonicalFilePath(), at(scrcpy)));
    }

    void levelNames()
    {
        for (const Level level : {Level::Ok, Level::Warning, Level::Error, Level::Info})
            QCOMPARE(DoctorFinding::levelFromString(DoctorFinding::toString(level)), level);
        QCOMPARE(DoctorFinding::levelFromString(QStringLiteral("OK")), std::nullopt);
        QCOMPARE(DoctorFinding::levelFromString(QString()), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestDoctorFindings)
#include "tst_doctorfindings.moc"
