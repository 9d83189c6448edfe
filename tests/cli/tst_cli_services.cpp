#include "DevSim.h"
#include "Quorvanectl.h"
#include "TestHome.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

#include <memory>

using namespace quorvane;

namespace {

const QString serial = QStringLiteral("R5CW20ABCDE");

} // namespace

// The wireless, desktop, camera and doctor subcommands against the simulator.
class TestCliServices final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestHome> m_home;
    std::unique_ptr<test::DevSim> m_sim;

    ProcessResult run(QStringList arguments) const
    {
        arguments << QStringLiteral("--adb") << m_sim->adbPath() << QStringLiteral("--scrcpy")
                  << m_sim->scrcpyPath();
        return test::runQuorvanectl(arguments);
    }

private slots:
    void init()
    {
        m_home = std::make_unique<test::TestHome>();
        m_sim = std::make_unique<test::DevSim>(*m_home);
        m_sim->putOnPath();
        m_sim->addPhone(serial);
    }

    void cleanup()
    {
        m_sim.reset();
        m_home.reset();
    }

    void desktopEnableNeedsConfirmation()
    {
        const ProcessResult result = run({QStringLiteral("desktop"), QStringLiteral("enable"), serial});
        QCOMPARE(result.statusCode, 2);
        QCOMPARE(result.stderr_.section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral(
                     "desktop enable changes developer settings on the phone and reboots it: pass --yes "
                     "to confirm when not on a terminal."));
        QVERIFY(m_sim->callArguments(QStringLiteral("adb")).isEmpty());
    }

    void desktopEnableAndRestoreAsJson()
    {
        ProcessResult result = run({QStringLiteral("--json"), QStringLiteral("desktop"),
                                    QStringLiteral("enable"), serial, QStringLiteral("--yes")});
        QCOMPARE(result.statusCode, 0);
        const QJsonObject enabled = test::jsonOutput(result).object();
        QCOMPARE(enabled.value(QStringLiteral("prepared")), QJsonValue(true));
        QCOMPARE(enabled.value(QStringLiteral("rebootStarted")), QJsonValue(true));
        QCOMPARE(result.stderr_,
                 QStringLiteral("Saved a backup of 6 Android desktop settings for this device.\n"
                                "Rebooting the phone so the new windowing settings apply…\n"));

        result = run({QStringLiteral("desktop"), QStringLiteral("restore"), serial});
        QCOMPARE(result.statusCode, 0);
        QCOMPARE(result.stdout_,
                 QStringLiteral("Android desktop settings restored to their previous values, and "
                                "the phone is rebooting.\n"));
    }

    void desktopProbeKeys()
    {
        const ProcessResult result =
            run({QStringLiteral("--json"), QStringLiteral("desktop"), QStringLiteral("probe"), serial});
        QCOMPARE(result.statusCode, 0);
        const QJsonObject caps = test::jsonOutput(result).object();
        QCOMPARE(caps.value(QStringLiteral("environmentKind")),
                 QJsonValue(QStringLiteral("virtual_display")));
        QCOMPARE(caps.value(QStringLiteral("recommendedWidth")), QJsonValue(1920));
        QCOMPARE(caps.value(QStringLiteral("launcherPackage")),
                 QJsonValue(QStringLiteral("com.google.android.apps.nexuslauncher")));
        QVERIFY(!caps.contains(QStringLiteral("existingDisplayId")));
    }

    void wifiThenRemembered()
    {
        ProcessResult result = run({QStringLiteral("--json"), QStringLiteral("wifi"), serial});
        QCOMPARE(result.statusCode, 0);
        QCOMPARE(test::jsonOutput(result).object(),
                 (QJsonObject{
                     {QStringLiteral("activeSerial"), QStringLiteral("192.168.1.20:5555")},
                     {QStringLiteral("activeConnection"), QStringLiteral("wireless")},
                     {QStringLiteral("message"), QStringLiteral("Wireless connection established at "
                                                                "192.168.1.20:5555. You can unplug the USB "
                                                                "cable now.")},
                     {QStringLiteral("safeToUnplugUSB"), true}}));

        result = run({QStringLiteral("--json"), QStringLiteral("remembered")});
        QCOMPARE(result.statusCode, 0);
        const QJsonArray devices = test::jsonOutput(result).array();
        QCOMPARE(devices.size(), 1);
        QCOMPARE(devices[0].toObject().value(QStringLiteral("label")), QJsonValue(QStringLiteral("Pixel 8")));
        QCOMPARE(devices[0].toObject().value(QStringLiteral("connected")), QJsonValue(true));
    }

    void badPairingCodeRunsNothing()
    {
        const ProcessResult result =
            run({QStringLiteral("pair"), QStringLiteral("192.168.1.20:37000"), QStringLiteral("12ab56")});
        QCOMPARE(result.statusCode, 1);
        QCOMPARE(result.stderr_, QStringLiteral("Enter the numeric pairing code shown on the phone.\n"));
        QVERIFY(m_sim->calls().isEmpty());
    }

    void doctorFindingsAsJson()
    {
        const ProcessResult result = run({QStringLiteral("--json"), QStringLiteral("doctor")});
        QCOMPARE(result.statusCode, 0);
        const QJsonArray findings = test::jsonOutput(result).array();
        QCOMPARE(findings.size(), 5);
        QCOMPARE(findings[0].toObject(), (QJsonObject{{QStringLiteral("level"), QStringLiteral("ok")},
                                                      {QStringLiteral("title"), QStringLiteral("ADB ready")},
                                                      {QStringLiteral("detail"),
                                                       QStringLiteral("Using %1.").arg(m_sim->adbPath())}}));
        QCOMPARE(findings[3].toObject().value(QStringLiteral("title")),
                 QJsonValue(QStringLiteral("Device authorized")));
        QCOMPARE(findings[4].toObject().value(QStringLiteral("level")), QJsonValue(QStringLiteral("info")));
        QVERIFY(findings[4].toObject().contains(QStringLiteral("action")));
    }

    void camerasAsJson()
    {
        const ProcessResult result = run({QStringLiteral("--json"), QStringLiteral("cameras"), serial});
        QCOMPARE(result.statusCode, 0);
        const QJsonObject caps = test::jsonOutput(result).object();
        QCOMPARE(caps.value(QStringLiteral("recommendedCameraId")), QJsonValue(QStringLiteral("0")));
        const QJsonObject back = caps.value(QStringLiteral("cameras")).toArray().at(0).toObject();
        QCOMPARE(back.value(QStringLiteral("label")), QJsonValue(QStringLiteral("Back · 4080×3072")));
        QCOMPARE(back.value(QStringLiteral("highSpeedModes")).toArray().at(0).toObject(),
                 (QJsonObject{{QStringLiteral("size"), QStringLiteral("1920x1080")},
                              {QStringLiteral("fps"), QJsonArray{120, 240}}}));
    }
};

QTEST_GUILESS_MAIN(TestCliServices)
#include "tst_cli_services.moc"
