#include "ADBService.h"
#include "Await.h"
#include "DevSim.h"
#include "Errors.h"
#include "FailureText.h"
#include "RuntimeLocator.h"
#include "TestHome.h"
#include "Words.h"

#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;
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

    QJsonObject scrcpyListing() const
    {
        for (const QJsonObject &call : m_sim->calls()) {
            if (call.value(u"tool"_s) == QLatin1String("scrcpy"))
                return call;
        }
        return {};
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

    void inspectsAPhone()
    {
        m_sim->addPhone(u"R5CW20ABCDE"_s);
        const DeviceProfile profile = inspect(u"R5CW20ABCDE"_s);

        DeviceProfile expected;
        expected.serial = u"R5CW20ABCDE"_s;
        expected.model = u"Pixel 8"_s;
        expected.brand = u"google"_s;
        expected.androidVersion = u"14"_s;
        expected.sdk = 34;
        expected.width = 1080;
        expected.height = 2400;
        expected.density = 420;
        expected.connectionKind = u"usb"_s;
        expected.hardwareSerial = u"R5CW20ABCDE"_s;
        expected.supportsAudio = expected.supportsCamera = expected.canAttemptVirtualDisplay = true;
        expected.h265Available = expected.av1Available = true;
        expected.videoEncoders = {{u"av1"_s, u"c2.android.av1.encoder"_s},
                                  {u"h264"_s, u"c2.android.avc.encoder"_s},
                                  {u"h264"_s, u"c2.exynos.h264.encoder"_s},
                                  {u"h265"_s, u"c2.android.hevc.encoder"_s},
                                  {u"h265"_s, u"c2.exynos.hevc.encoder"_s}};
        QCOMPARE(profile.videoEncoders, expected.videoEncoders);
        QVERIFY(profile == expected);

        // The encoder listing is scrcpy's, told to use our adb.
        QCOMPARE(scrcpyListing().value(u"ADB"_s).toString(), m_sim->adbPath());
        QCOMPARE(m_sim->callArguments(u"scrcpy"_s),
                 QList<QStringList>({words("-s R5CW20ABCDE --list-encoders")}));
    }

    void sdkDecidesTheCapabilities_data()
    {
        QTest::addColumn<QString>("sdk");
        QTest::addColumn<quint32>("number");
        QTest::addColumn<bool>("audio");
        QTest::addColumn<bool>("camera");

        QTest::newRow("29") << u"29"_s << 29u << false << false;
        QTest::newRow("30") << u"30"_s << 30u << true << false;
        QTest::newRow("31") << u"31"_s << 31u << true << true;
        QTest::newRow("leading plus") << u"+31"_s << 31u << true << true;
        QTest::newRow("not a number") << u"S"_s << 0u << false << false;
    }

    void sdkDecidesTheCapabilities()
    {
        QFETCH(QString, sdk);
        QFETCH(quint32, number);
        QFETCH(bool, audio);
        QFETCH(bool, camera);
        m_sim->addPhone(u"R5CW20ABCDE"_s).property(u"ro.build.version.sdk"_s, sdk);
        const DeviceProfile profile = inspect(u"R5CW20ABCDE"_s);
        QCOMPARE(profile.sdk, number);
        QCOMPARE(profile.supportsAudio, audio);
        QCOMPARE(profile.canAttemptVirtualDisplay, audio);
        QCOMPARE(profile.supportsCamera, camera);
    }

    void emptyModelFallsBackToTheDeviceList()
    {
        m_sim->addPhone(u"R5CW20ABCDE"_s);
        m_sim->addFault(words("shell getprop ro.product.model"), 0, QString(), u"\n"_s);
        QCOMPARE(inspect(u"R5CW20ABCDE"_s).model, u"Pixel_8"_s);
    }

    void failedQueriesDegrade()
    {
        m_sim->addPhone(u"R5CW20ABCDE"_s);
        m_sim->addFault(words("shell getprop ro.product.brand"), 1, u"error: closed\n"_s);
        m_sim->addFault(words("shell wm size"), 255, u"Exception occurred\n"_s);
        m_sim->addFault(words("shell wm density"), 0, QString(), u"Physical density: ?\n"_s);
        // A listing that fails counts for nothing, even the lines it printed before failing.
        const QString failingScrcpy = test::writeExecutable(
            m_home->file(u"tools/scrcpy"_s),
            u"#!/bin/sh\necho '    --video-codec=h265 --video-encoder=c2.qti.hevc.encoder'\n"
            "echo 'ERROR: Server connection failed' >&2\nexit 1\n"_s);
        const ADBService adb{ToolPaths{m_sim->adbPath(), failingScrcpy}};
        const DeviceProfile profile = test::await(adb.inspectDevice(u"R5CW20ABCDE"_s));
        QCOMPARE(profile.brand, QString());
        QCOMPARE(profile.model, u"Pixel 8"_s);
        QVERIFY(!profile.width && !profile.height && !profile.density);
        QVERIFY(profile.videoEncoders.isEmpty());
        QVERIFY(!profile.h265Available && !profile.av1Available);
        QCOMPARE(profile.sdk, 34u);
    }

    // The bundled runtime is not on anyone's PATH: the listing must still reach our adb.
    void encodersThroughTheBundledRuntimeAlone()
    {
        m_sim->addPhone(u"R5CW20ABCDE"_s);
        m_sim->installAsBundle();
        const ADBService adb{ToolPaths{}};
        const QList<VideoEncoderInfo> encoders = test::await(adb.listVideoEncoders(u"R5CW20ABCDE"_s));
        QVERIFY(!encoders.isEmpty());
        QCOMPARE(scrcpyListing().value(u"ADB"_s).toString(), m_sim->binDir() + u"/adb"_s);
    }

    void notReadyPhones()
    {
        m_sim->addPhone(u"R5CW20ABCDE"_s).state(u"unauthorized"_s);
        const ADBService adb{m_sim->toolPaths()};
        QCOMPARE(test::failureOf(adb.inspectDevice(u"R5CW20ABCDE"_s)),
                 u"deviceState: Device state is 'unauthorized'. Authorize or reconnect the phone first."_s);
        QCOMPARE(test::failureOf(adb.inspectDevice(u"GONE"_s)),
                 u"deviceState: Selected device is no longer connected."_s);
        // Nothing is asked of a phone that is not ready.
        QCOMPARE(m_sim->callArguments(u"adb"_s),
                 QList<QStringList>({words("devices -l"), words("devices -l")}));
        QVERIFY(m_sim->callArguments(u"scrcpy"_s).isEmpty());
    }

    void failedDeviceListFailsTheInspection()
    {
        m_sim->addPhone(u"R5CW20ABCDE"_s);
        m_sim->addFault(words("devices"), 1, u"adb: protocol fault\n"_s);
        QCOMPARE(test::failureOf(ADBService{m_sim->toolPaths()}.inspectDevice(u"R5CW20ABCDE"_s)),
                 u"process: adb: protocol fault (exit code 1)"_s);
    }

    void missingScrcpyMeansNoEncoders()
    {
        m_sim->addPhone(u"R5CW20ABCDE"_s);
        RuntimeLocator::setWellKnownDirectoriesOverride(QStringList());
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", m_home->path().toUtf8());
        const ADBService adb{ToolPaths{m_sim->adbPath(), m_home->path() + u"/no-scrcpy"_s}};
        const QList<VideoEncoderInfo> encoders = test::await(adb.listVideoEncoders(u"R5CW20ABCDE"_s));
        const DeviceProfile profile = test::await(adb.inspectDevice(u"R5CW20ABCDE"_s));
        qputenv("PATH", path);
        RuntimeLocator::setWellKnownDirectoriesOverride(std::nullopt);
        QVERIFY(encoders.isEmpty());
        QVERIFY(profile.videoEncoders.isEmpty());
        QVERIFY(!profile.h265Available);
        QCOMPARE(profile.model, u"Pixel 8"_s);
    }
};

QTEST_GUILESS_MAIN(TestInspection)
#include "tst_phoneprofile.moc"
