// The simulator's scrcpy: listings read by the project's parsers, session life and death, launch rules.
#include "ADBService.h"
#include "Await.h"
#include "CameraService.h"
#include "DevSim.h"
#include "MediaService.h"
#include "TestHome.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QProcess>
#include <QTest>

#include <memory>

using namespace quorvane;
using namespace quorvane::test;

namespace {

const QString serial = QStringLiteral("R5CW20ABCDE");

// Waits until the session's server line arrives: from then on the session is up.
bool waitUntilUp(QProcess &process)
{
    QElapsedTimer clock;
    clock.start();
    QByteArray seen;
    while (clock.elapsed() < 10000) {
        if (process.state() == QProcess::NotRunning)
            return false;
        process.waitForReadyRead(100);
        seen += process.readAllStandardOutput();
        if (seen.contains("[server] INFO: Device:"))
            return true;
    }
    return false;
}

} // namespace

class TestDevSimScrcpy final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<DevSim> m_sim;

    std::unique_ptr<QProcess> startSession(const QStringList &extra)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ADB"), m_sim->adbPath());
        process->setProcessEnvironment(environment);
        process->start(m_sim->scrcpyPath(), QStringList{QStringLiteral("-s"), serial} + extra);
        return process;
    }

private slots:
    void init()
    {
        m_sim.reset();
        m_home = std::make_unique<TestHome>();
        m_sim = std::make_unique<DevSim>(*m_home);
        m_sim->addPhone(serial);
    }

    void cleanup()
    {
        m_sim.reset();
        m_home.reset();
    }

    void versionLineComesFirst()
    {
        QProcess process;
        process.start(m_sim->scrcpyPath(), {QStringLiteral("--version")});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 0);
        const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
        QCOMPARE(lines.value(0), QByteArray("scrcpy 4.1 <https://github.com/Genymobile/scrcpy>"));
        QVERIFY(lines.contains(" - SDL: 3.2.10 / 3.2.10"));
    }

    // listVideoEncoders runs scrcpy without ADB, so scrcpy finds adb on PATH like on a real machine.
    void inspectDeviceReadsEveryAnswer()
    {
        m_sim->putOnPath();
        m_sim->phone(QStringLiteral("phone1")).android(QStringLiteral("13"), 33).screen(1440, 3088, 500);

        const DeviceProfile profile = await(ADBService{m_sim->toolPaths()}.inspectDevice(serial));

        QCOMPARE(profile.model, QStringLiteral("Pixel 8"));
        QCOMPARE(profile.brand, QStringLiteral("google"));
        QCOMPARE(profile.androidVersion, QStringLiteral("13"));
        QCOMPARE(profile.sdk, 33u);
        QCOMPARE(profile.width, std::optional<quint32>(1440));
        QCOMPARE(profile.height, std::optional<quint32>(3088));
        QCOMPARE(profile.density, std::optional<quint32>(500));
        const QList<VideoEncoderInfo> encoders{
            {QStringLiteral("av1"), QStringLiteral("c2.android.av1.encoder")},
            {QStringLiteral("h264"), QStringLiteral("c2.android.avc.encoder")},
            {QStringLiteral("h264"), QStringLiteral("c2.exynos.h264.encoder")},
            {QStringLiteral("h265"), QStringLiteral("c2.android.hevc.encoder")},
            {QStringLiteral("h265"), QStringLiteral("c2.exynos.hevc.encoder")},
        };
        QCOMPARE(profile.videoEncoders, encoders);
        QVERIFY(profile.h265Available);
    }

    // The camera service runs scrcpy without ADB, so scrcpy finds adb on PATH like on a real machine.
    void cameraListingReadsBackSizesAndHighSpeed()
    {
        m_sim->putOnPath();
        const CameraService cameras{m_sim->toolPaths()};

        const CameraCapabilities capabilities = await(cameras.listCapabilities(serial));

        QCOMPARE(capabilities.cameras.size(), 2);
        const CameraInfo back = capabilities.cameras.first();
        QCOMPARE(back.facing, QStringLiteral("back"));
        QCOMPARE(back.maxWidth, std::optional<quint32>(4080));
        QCOMPARE(back.fps, (QList<quint32>{15, 24, 30, 60}));
        QCOMPARE(back.zoomMax, std::optional<double>(8));
        QCOMPARE(back.sizes.size(), 6);
        QCOMPARE(back.highSpeedModes.size(), 2);
        QCOMPARE(capabilities.cameras.last().facing, QStringLiteral("front"));
        QVERIFY(capabilities.cameras.last().highSpeedModes.isEmpty());
        QCOMPARE(capabilities.recommendedCameraId, std::optional<QString>(QStringLiteral("0")));
    }

    void sessionRunsUntilTerminated()
    {
        auto process = startSession({QStringLiteral("--show-touches"), QStringLiteral("--stay-awake")});
        QVERIFY(waitUntilUp(*process));
        auto setting = [this](const char *space, const char *key) {
            return m_sim->phone(QStringLiteral("phone1"))
                .read()[QStringLiteral("settings")][QLatin1String(space)][QLatin1String(key)]
                .toString();
        };
        QTRY_COMPARE_WITH_TIMEOUT(setting("system", "show_touches"), QStringLiteral("1"), 5000);
        QCOMPARE(setting("global", "stay_on_while_plugged_in"), QStringLiteral("7"));
        QVERIFY(!process->waitForFinished(300));
        // scrcpy's own lines wait in its stdio buffer while it runs: a pipe reader sees them at the end.
        QVERIFY(!process->readAllStandardOutput().contains("INFO: Texture"));

        process->terminate();

        QVERIFY(process->waitForFinished(5000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 0);
        QVERIFY(process->readAllStandardOutput().contains("INFO: Texture: 1080x2400"));
        const QJsonObject after =
            m_sim->phone(QStringLiteral("phone1")).read()[QStringLiteral("settings")].toObject();
        QCOMPARE(after[QStringLiteral("system")][QStringLiteral("show_touches")].toString(),
                 QStringLiteral("0"));
        QCOMPARE(after[QStringLiteral("global")][QStringLiteral("stay_on_while_plugged_in")].toString(),
                 QStringLiteral("0"));
    }

    void sessionToldToIgnoreSigtermSurvivesIt()
    {
        m_sim->setScrcpy(QStringLiteral("ignoreSigterm"), true);
        auto process = startSession({});
        QVERIFY(waitUntilUp(*process));

        process->terminate();

        QVERIFY(!process->waitForFinished(700));
        process->kill();
        QVERIFY(process->waitForFinished(5000));
        QCOMPARE(process->exitStatus(), QProcess::CrashExit);
    }

    // The phone's clean-up undoes the session's changes even when the client is killed outright.
    void killedSessionStillRestoresThePhone()
    {
        auto process = startSession({QStringLiteral("--show-touches")});
        QVERIFY(waitUntilUp(*process));
        auto showTouches = [this] {
            return m_sim->phone(QStringLiteral("phone1"))
                .read()[QStringLiteral("settings")][QStringLiteral("system")][QStringLiteral("show_touches")]
                .toString();
        };
        QTRY_COMPARE_WITH_TIMEOUT(showTouches(), QStringLiteral("1"), 5000);

        process->kill();

        QVERIFY(process->waitForFinished(5000));
        QTRY_COMPARE_WITH_TIMEOUT(showTouches(), QStringLiteral("0"), 5000);
    }

    void newDisplayExistsForTheSessionsLife()
    {
        auto process = startSession({QStringLiteral("--new-display=1920x1080/240")});
        QVERIFY(waitUntilUp(*process));
        QTRY_COMPARE_WITH_TIMEOUT(
            m_sim->phone(QStringLiteral("phone1")).read()[QStringLiteral("displays")].toArray().size(), 2,
            5000);
        QProcess dumpsys;
        dumpsys.start(m_sim->adbPath(), {QStringLiteral("-s"), serial, QStringLiteral("shell"),
                                         QStringLiteral("dumpsys"), QStringLiteral("display")});
        QVERIFY(dumpsys.waitForFinished(5000));
        const QString dump = QString::fromUtf8(dumpsys.readAllStandardOutput());

        const auto device = MediaService::logicalDisplayDevice(dump, 1);
        QVERIFY(device.has_value());
        QCOMPARE(device->name, QStringLiteral("scrcpy"));
        QVERIFY(device->uniqueId.startsWith(QLatin1String("virtual:")));
        QVERIFY(MediaService::logicalDisplayDevice(dump, 0).has_value());

        process->terminate();
        QVERIFY(process->waitForFinished(5000));
        QVERIFY(process->readAllStandardOutput().contains("INFO: Texture: 1920x1080"));
        const QJsonArray displays =
            m_sim->phone(QStringLiteral("phone1")).read()[QStringLiteral("displays")].toArray();
        QCOMPARE(displays.size(), 1);
    }

    void launchRules_data()
    {
        QTest::addColumn<QJsonObject>("rule");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("stderrLine");

        const QJsonObject h265{
            {QStringLiteral("whenArgs"), QJsonArray{QStringLiteral("--video-codec=h265")}}};
        QTest::newRow("option with value") << h265 << QStringList{QStringLiteral("--video-codec=h265")} << 1
                                           << QByteArray("ERROR: Server connection failed\n");
        const QJsonObject audio{{QStringLiteral("whenArgs"), QJsonArray{QStringLiteral("--audio-source")}},
                                {QStringLiteral("message"), QStringLiteral("Could not open audio source")}};
        QTest::newRow("option name matches any value")
            << audio << QStringList{QStringLiteral("--audio-source=mic")} << 1
            << QByteArray("ERROR: Could not open audio source\n");
        const QJsonObject lost{{QStringLiteral("whenArgs"), QJsonArray{}}, {QStringLiteral("afterMs"), 200}};
        QTest::newRow("device lost after a while")
            << lost << QStringList{} << 2 << QByteArray("WARN: Device disconnected\n");
    }

    void launchRules()
    {
        QFETCH(QJsonObject, rule);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, stderrLine);
        m_sim->addLaunchRule(rule);

        auto process = startSession(arguments);

        QVERIFY(process->waitForFinished(5000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), exitCode);
        QVERIFY2(process->readAllStandardError().endsWith(stderrLine), stderrLine.constData());
    }

    void ruleForOtherOptionsLeavesSessionUp()
    {
        m_sim->addLaunchRule({QStringLiteral("--video-codec=h265")});
        auto process = startSession({QStringLiteral("--video-codec=h264")});
        QVERIFY(waitUntilUp(*process));
        QVERIFY(!process->waitForFinished(300));
        process->terminate();
        QVERIFY(process->waitForFinished(5000));
        QCOMPARE(process->exitCode(), 0);
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expectedError");

        QTest::newRow("unknown serial") << QStringList{QStringLiteral("-s"), QStringLiteral("NOSUCH")}
                                        << QStringLiteral("ERROR: Could not find ADB device NOSUCH:");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate")}
                                        << QStringLiteral("unrecognized option '--frobnicate'");
        QTest::newRow("optional value given as a separate word")
            << QStringList{QStringLiteral("--new-display"), QStringLiteral("1920x1080/240")}
            << QStringLiteral("ERROR: Unexpected additional argument: 1920x1080/240");
        QTest::newRow("camera option without camera source")
            << QStringList{QStringLiteral("--camera-id=0")}
            << QStringLiteral("ERROR: --camera-id is only available with --video-source=camera");
        QTest::newRow("encoder the phone lacks")
            << QStringList{QStringLiteral("--video-encoder=OMX.qcom.video.encoder.avc")}
            << QStringLiteral(
                   "[server] ERROR: Video encoder 'OMX.qcom.video.encoder.avc' for h264 not found");
    }

    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expectedError);

        auto process = startSession(arguments);

        QVERIFY(process->waitForFinished(5000));
        QCOMPARE(process->exitCode(), 1);
        const QString err = QString::fromUtf8(process->readAllStandardError());
        QVERIFY2(err.contains(expectedError), qPrintable(err));
    }

    void callLogRecordsScrcpyAndTheAdbItRuns()
    {
        auto process = startSession({QStringLiteral("--list-encoders")});
        QVERIFY(process->waitForFinished(5000));

        const QList<QJsonObject> calls = m_sim->calls();
        QCOMPARE(calls.size(), 3);
        QCOMPARE(calls[0][QStringLiteral("tool")].toString(), QStringLiteral("scrcpy"));
        QCOMPARE(calls[0][QStringLiteral("ADB")].toString(), m_sim->adbPath());
        QCOMPARE(m_sim->callArguments(QStringLiteral("adb")),
                 (QList<QStringList>{{QStringLiteral("start-server")},
                                     {QStringLiteral("devices"), QStringLiteral("-l")}}));
    }
};

QTEST_GUILESS_MAIN(TestDevSimScrcpy)
#include "tst_devsim_scrcpy.moc"
