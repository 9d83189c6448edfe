#include "ADBService.h"
#include "Await.h"
#include "DevSim.h"
#include "Errors.h"
#include "RuntimeLocator.h"
#include "TestHome.h"
#include "Words.h"

#include <QTest>

using namespace quorvane;
using test::words;

// Inspection of a phone through the device simulator: real adb and scrcpy child processes, real output.
class TestInspection final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestHome> m_home;
    std::unique_ptr<test::DevSim> m_sim;

    DeviceProfile inspect(const QString &serial) const
    {
        const ADBService adb{m_sim->toolPaths()};
        return test::await(adb.inspectDevice(serial));
    }

    void expectDeviceStateError(const QString &serial, const QString &message) const
    {
        try {
            inspect(serial);
            QFAIL("inspection must fail");
        } catch (const ScrcpyError &error) {
            QCOMPARE(error.kind(), ScrcpyError::Kind::DeviceState);
            QCOMPARE(error.text(), message);
        }
    }

private slots:
    void init()
    {
        m_home = std::make_unique<test::TestHome>();
        m_sim = std::make_unique<test::DevSim>(*m_home);
    }

    void cleanup()
    {
        m_sim.reset();
        m_home.reset();
    }

    void inspectsAPhoneInOrder()
    {
        m_sim->addPhone(QStringLiteral("R5CW20ABCDE"));
        const DeviceProfile profile = inspect(QStringLiteral("R5CW20ABCDE"));

        DeviceProfile expected;
        expected.serial = QStringLiteral("R5CW20ABCDE");
        expected.model = QStringLiteral("Pixel 8");
        expected.brand = QStringLiteral("google");
        expected.androidVersion = QStringLiteral("14");
        expected.sdk = 34;
        expected.width = 1080;
        expected.height = 2400;
        expected.density = 420;
        expected.connectionKind = QStringLiteral("usb");
        expected.hardwareSerial = QStringLiteral("R5CW20ABCDE");
        expected.supportsAudio = expected.supportsCamera = expected.canAttemptVirtualDisplay = true;
        expected.h265Available = expected.av1Available = true;
        expected.videoEncoders = {{QStringLiteral("av1"), QStringLiteral("c2.android.av1.encoder")},
                                  {QStringLiteral("h264"), QStringLiteral("c2.android.avc.encoder")},
                                  {QStringLiteral("h264"), QStringLiteral("c2.exynos.h264.encoder")},
                                  {QStringLiteral("h265"), QStringLiteral("c2.android.hevc.encoder")},
                                  {QStringLiteral("h265"), QStringLiteral("c2.exynos.hevc.encoder")}};
        QCOMPARE(profile.videoEncoders, expected.videoEncoders);
        QVERIFY(profile == expected);

        // One query after the other, in this order, scrcpy last and told to use our adb. (The adb calls
        // after it are scrcpy's own.)
        const QList<QJsonObject> calls = m_sim->calls();
        QVERIFY(calls.size() >= 9);
        QCOMPARE(calls[8].value(QStringLiteral("tool")).toString(), QStringLiteral("scrcpy"));
        QCOMPARE(calls[8].value(QStringLiteral("ADB")).toString(), m_sim->adbPath());
        const QList<QStringList> adb = m_sim->callArguments(QStringLiteral("adb"));
        const QStringList prefix = words("-s R5CW20ABCDE shell");
        QCOMPARE(adb.mid(0, 8),
                 QList<QStringList>({words("devices -l"), prefix + words("getprop ro.product.model"),
                                     prefix + words("getprop ro.product.brand"),
                                     prefix + words("getprop ro.build.version.release"),
                                     prefix + words("getprop ro.build.version.sdk"),
                                     prefix + words("getprop ro.boot.serialno"), prefix + words("wm size"),
                                     prefix + words("wm density")}));
        QCOMPARE(m_sim->callArguments(QStringLiteral("scrcpy")),
                 QList<QStringList>({words("-s R5CW20ABCDE --list-encoders")}));
    }

    void sdkDecidesTheCapabilities_data()
    {
        QTest::addColumn<QString>("sdk");
        QTest::addColumn<quint32>("number");
        QTest::addColumn<bool>("audio");
        QTest::addColumn<bool>("camera");

        QTest::newRow("29") << "29" << 29u << false << false;
        QTest::newRow("30") << "30" << 30u << true << false;
        QTest::newRow("31") << "31" << 31u << true << true;
        QTest::newRow("leading plus") << "+31" << 31u << true << true;
        QTest::newRow("not a number") << "S" << 0u << false << false;
    }

    void sdkDecidesTheCapabilities()
    {
        QFETCH(QString, sdk);
        QFETCH(quint32, number);
        QFETCH(bool, audio);
        QFETCH(bool, camera);
        m_sim->addPhone(QStringLiteral("R5CW20ABCDE")).property(QStringLiteral("ro.build.version.sdk"), sdk);
        const DeviceProfile profile = inspect(QStringLiteral("R5CW20ABCDE"));
        QCOMPARE(profile.sdk, number);
        QCOMPARE(profile.supportsAudio, audio);
        QCOMPARE(profile.canAttemptVirtualDisplay, audio);
        QCOMPARE(profile.supportsCamera, camera);
    }

    void emptyModelFallsBackToTheDeviceList()
    {
        m_sim->addPhone(QStringLiteral("R5CW20ABCDE"));
        m_sim->addFault(words("shell getprop ro.product.model"), 0, QString(), QStringLiteral("\n"));
        QCOMPARE(inspect(QStringLiteral("R5CW20ABCDE")).model, QStringLiteral("Pixel_8"));
    }

    void failedQueriesDegrade()
    {
        m_sim->addPhone(QStringLiteral("R5CW20ABCDE"));
        m_sim->addFault(words("shell getprop ro.product.brand"), 1, QStringLiteral("error: closed\n"));
        m_sim->addFault(words("shell wm size"), 255, QStringLiteral("Exception occurred\n"));
        m_sim->addFault(words("shell wm density"), 0, QString(), QStringLiteral("Physical density: ?\n"));
        // A listing that fails counts for nothing, even the lines it printed before failing.
        const QString failingScrcpy = test::writeExecutable(
            m_home->file(QStringLiteral("tools/scrcpy")),
            QStringLiteral("#!/bin/sh\necho '    --video-codec=h265 --video-encoder=c2.qti.hevc.encoder'\n"
                           "echo 'ERROR: Server connection failed' >&2\nexit 1\n"));
        const ADBService adb{ToolPaths{m_sim->adbPath(), failingScrcpy}};
        const DeviceProfile profile = test::await(adb.inspectDevice(QStringLiteral("R5CW20ABCDE")));
        QCOMPARE(profile.brand, QString());
        QCOMPARE(profile.model, QStringLiteral("Pixel 8"));
        QVERIFY(!profile.width && !profile.height && !profile.density);
        QVERIFY(profile.videoEncoders.isEmpty());
        QVERIFY(!profile.h265Available && !profile.av1Available);
        QCOMPARE(profile.sdk, 34u);
    }

    // The bundled runtime is not on anyone's PATH: the listing must still reach our adb.
    void encodersThroughTheBundledRuntimeAlone()
    {
        m_sim->addPhone(QStringLiteral("R5CW20ABCDE"));
        m_sim->installAsBundle();
        const ADBService adb{ToolPaths{}};
        const QList<VideoEncoderInfo> encoders =
            test::await(adb.listVideoEncoders(QStringLiteral("R5CW20ABCDE")));
        QVERIFY(!encoders.isEmpty());
        const QList<QJsonObject> calls = m_sim->calls();
        const auto listing = std::find_if(calls.cbegin(), calls.cend(), [](const QJsonObject &call) {
            return call.value(QStringLiteral("tool")) == QLatin1String("scrcpy");
        });
        QVERIFY(listing != calls.cend());
        QCOMPARE(listing->value(QStringLiteral("ADB")).toString(), m_sim->binDir() + QStringLiteral("/adb"));
    }

    void notReadyPhones()
    {
        m_sim->addPhone(QStringLiteral("R5CW20ABCDE")).state(QStringLiteral("unauthorized"));
        expectDeviceStateError(
            QStringLiteral("R5CW20ABCDE"),
            QStringLiteral("Device state is 'unauthorized'. Authorize or reconnect the phone first."));
        expectDeviceStateError(QStringLiteral("GONE"),
                               QStringLiteral("Selected device is no longer connected."));
        // Nothing is asked of a phone that is not ready.
        QCOMPARE(m_sim->callArguments(QStringLiteral("adb")),
                 QList<QStringList>({words("devices -l"), words("devices -l")}));
        QVERIFY(m_sim->callArguments(QStringLiteral("scrcpy")).isEmpty());
    }

    void failedDeviceListFailsTheInspection()
    {
        m_sim->addPhone(QStringLiteral("R5CW20ABCDE"));
        m_sim->addFault(words("devices"), 1, QStringLiteral("adb: protocol fault\n"));
        try {
            inspect(QStringLiteral("R5CW20ABCDE"));
            QFAIL("inspection must fail");
        } catch (const ProcessError &error) {
            QCOMPARE(error.text(), QStringLiteral("adb: protocol fault (exit code 1)"));
        }
    }

    void missingScrcpyMeansNoEncoders()
    {
        m_sim->addPhone(QStringLiteral("R5CW20ABCDE"));
        RuntimeLocator::setWellKnownDirectoriesOverride(QStringList());
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", m_home->path().toUtf8());
        const ADBService adb{ToolPaths{m_sim->adbPath(), m_home->path() + QStringLiteral("/no-scrcpy")}};
        const QList<VideoEncoderInfo> encoders =
            test::await(adb.listVideoEncoders(QStringLiteral("R5CW20ABCDE")));
        const DeviceProfile profile = test::await(adb.inspectDevice(QStringLiteral("R5CW20ABCDE")));
        qputenv("PATH", path);
        RuntimeLocator::setWellKnownDirectoriesOverride(std::nullopt);
        QVERIFY(encoders.isEmpty());
        QVERIFY(profile.videoEncoders.isEmpty());
        QVERIFY(!profile.h265Available);
        QCOMPARE(profile.model, QStringLiteral("Pixel 8"));
    }
};

QTEST_GUILESS_MAIN(TestInspection)
#include "tst_phoneprofile.moc"
