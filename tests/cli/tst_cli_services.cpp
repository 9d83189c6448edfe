#include "DevSim.h"
#include "Quorvanectl.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

#include <memory>

using namespace quorvane;

namespace {

const QString serial = QStringLiteral("R5CW20ABCDE");
const QString other = QStringLiteral("PIXEL8XYZ");

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

    // The phone is chosen as adb chooses it: named by SERIAL or -s, else ANDROID_SERIAL, else the one ready.
    void phoneChoice_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("phones");
        QTest::addColumn<QByteArray>("androidSerial");
        QTest::addColumn<int>("statusCode");
        // The inspected phone's serial, or the first line of the error.
        QTest::addColumn<QString>("expected");
        const QString inspect = QStringLiteral("inspect");
        QTest::newRow("-s before the command")
            << QStringList{QStringLiteral("-s"), other, inspect} << "two" << QByteArray() << 0 << other;
        QTest::newRow("SERIAL over ANDROID_SERIAL")
            << QStringList{inspect, serial} << "two" << other.toUtf8() << 0 << serial;
        QTest::newRow("ANDROID_SERIAL") << QStringList{inspect} << "two" << other.toUtf8() << 0 << other;
        QTest::newRow("the one phone ready") << QStringList{inspect} << "one" << QByteArray() << 0 << serial;
        QTest::newRow("the one ready beside one not ready")
            << QStringList{inspect} << "other unauthorized" << QByteArray() << 0 << serial;
        QTest::newRow("several ready")
            << QStringList{inspect} << "two" << QByteArray() << 1
            << QStringLiteral("More than one phone is ready (%1, %2): choose one with -s SERIAL.")
                   .arg(serial, other);
        QTest::newRow("none ready") << QStringList{inspect} << "unauthorized" << QByteArray() << 1
                                    << QStringLiteral(
                                           "No phone is ready (%1 is unauthorized): allow USB debugging "
                                           "on the phone, or choose one with -s SERIAL.")
                                           .arg(serial);
        QTest::newRow("none connected")
            << QStringList{QStringLiteral("screenshot")} << "none" << QByteArray() << 1
            << QStringLiteral(
                   "No phone is connected: connect one with USB debugging on, or name one with -s SERIAL.");
    }

    void phoneChoice()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, phones);
        QFETCH(QByteArray, androidSerial);
        QFETCH(int, statusCode);
        QFETCH(QString, expected);
        if (phones == QLatin1String("two"))
            m_sim->addPhone(other);
        else if (phones == QLatin1String("unauthorized"))
            m_sim->phone(QStringLiteral("phone1")).state(QStringLiteral("unauthorized"));
        else if (phones == QLatin1String("other unauthorized"))
            m_sim->addPhone(other).state(QStringLiteral("unauthorized"));
        else if (phones == QLatin1String("none"))
            m_sim->updateWorld(
                [](QJsonObject &world) { world.insert(QStringLiteral("transports"), QJsonArray()); });
        if (!androidSerial.isEmpty())
            qputenv("ANDROID_SERIAL", androidSerial);
        const ProcessResult result = run(arguments);
        qunsetenv("ANDROID_SERIAL");
        QCOMPARE(result.statusCode, statusCode);
        if (statusCode == 0)
            QCOMPARE(test::jsonOutput(result).object().value(QStringLiteral("serial")).toString(), expected);
        else
            QCOMPARE(result.stderr_.section(QLatin1Char('\n'), 0, 0), expected);
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

    // A restore that leaves settings behind keeps the backup and fails, so a script notices.
    void desktopRestoreThatLeavesSettingsBehind()
    {
        QCOMPARE(run({QStringLiteral("desktop"), QStringLiteral("enable"), serial, QStringLiteral("--yes")})
                     .statusCode,
                 0);
        m_sim->addFault(
            QStringList{QStringLiteral("shell"), QStringLiteral("settings"), QStringLiteral("delete")}, 1,
            QStringLiteral("error: closed\n"));
        const ProcessResult result = run({QStringLiteral("desktop"), QStringLiteral("restore"), serial});
        QCOMPARE(result.statusCode, 1);
        QCOMPARE(result.stdout_,
                 QStringLiteral("Some Android desktop settings could not be restored, and the "
                                "phone is rebooting. The backup is kept, so you can restore "
                                "again.\n"));
    }

    // A store file that cannot be read is kept aside and the user is told so, once, on standard error.
    void unreadableStoreIsToldOnce()
    {
        const QString store = m_home->file(QStringLiteral(".local/share/Quorvane/wireless-devices.json"));
        test::writeFile(store, "{\"devices\": [{\"address\": \"10.0.0.9:5555\"}]}");
        const ProcessResult result = run({QStringLiteral("forget"), QStringLiteral("10.0.0.9:5555")});
        QCOMPARE(result.statusCode, 0);
        const QStringList kept = QFileInfo(store).dir().entryList(
            {QStringLiteral("wireless-devices.json.corrupt-*")}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(result.stderr_,
                 QStringLiteral("Your remembered wireless devices file could not be read; it was "
                                "kept as %1 and a new one was started.\n")
                     .arg(QFileInfo(store).dir().filePath(kept[0])));
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

    // The wireless commands' answers, byte for byte, as a person or a script reads them.
    void wirelessAnswers_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("output");

        const QString wireless = QStringLiteral("192.168.1.20:5555");
        const QStringList toWifi{QStringLiteral("wifi"), serial};
        const QString forgotten = QStringLiteral("Wireless connection disconnected and forgotten.");
        QTest::newRow("pair")
            << QStringList{}
            << QStringList{QStringLiteral("pair"), QStringLiteral("192.168.1.20:37000"),
                           QStringLiteral("123456")}
            << "Paired: now connect: Pairing worked; the port it used is the pairing port, not "
               "the one to connect to. Connect to the address and port under \"IP address & "
               "Port\" on the phone's Wireless debugging screen.\nSuccessfully paired to "
               "192.168.1.20:37000 [guid=adb-R5CW20ABCDE-AbC12d]\n";
        QTest::newRow("connect") << QStringList{}
                                 << QStringList{QStringLiteral("connect"),
                                                QStringLiteral("192.168.1.20:41234")}
                                 << "connected to 192.168.1.20:41234\n";
        QTest::newRow("wifi")
            << QStringList{} << toWifi
            << "Wireless connection established at 192.168.1.20:5555. You can unplug the USB "
               "cable now.\nActive: 192.168.1.20:5555 (wireless)\n";
        QTest::newRow("usb") << toWifi << QStringList{QStringLiteral("usb"), wireless}
                             << "USB connection is active. Wireless ADB has been disconnected.\n"
                                "Active: R5CW20ABCDE (usb)\n";
        QTest::newRow("usb, already") << QStringList{} << QStringList{QStringLiteral("usb"), serial}
                                      << "USB is already the active connection.\nActive: R5CW20ABCDE (usb)\n";
        QTest::newRow("forget, with its cable")
            << toWifi << QStringList{QStringLiteral("forget"), wireless}
            << "Wireless connection disconnected and forgotten. USB is now selected.\nActive: R5CW20ABCDE "
               "(usb)\n";
        QTest::newRow("forget, no active transport left")
            << QStringList{} << QStringList{QStringLiteral("forget"), QStringLiteral("192.168.1.99:5555")}
            << forgotten + QLatin1Char('\n');
        QTest::newRow("forget, json")
            << QStringList{}
            << QStringList{QStringLiteral("--json"), QStringLiteral("forget"),
                           QStringLiteral("192.168.1.99:5555")}
            << QStringLiteral("{\n    \"activeConnection\": \"none\",\n    \"activeSerial\": \"\",\n    "
                              "\"message\": \"%1\",\n    \"safeToUnplugUSB\": false\n}\n")
                   .arg(forgotten);
        QTest::newRow("remembered, none") << QStringList{} << QStringList{QStringLiteral("remembered")}
                                          << "No remembered wireless devices.\n";
        QTest::newRow("remembered, one") << toWifi << QStringList{QStringLiteral("remembered")}
                                         << "192.168.1.20:5555\tPixel 8\tconnected\t<time>\n";
        QTest::newRow("remembered, json")
            << toWifi << QStringList{QStringLiteral("--json"), QStringLiteral("remembered")}
            << "[\n    {\n        \"address\": \"192.168.1.20:5555\",\n        \"connected\": true,\n        "
               "\"hardwareSerial\": \"R5CW20ABCDE\",\n        \"label\": \"Pixel 8\",\n        \"lastUsed\": "
               "<seconds>\n    }\n]\n";
    }

    void wirelessAnswers()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, command);
        QFETCH(QString, output);
        m_sim->setAdbVersion(QStringLiteral("35.0.2-12147458"));
        m_sim->addPairing(QStringLiteral("192.168.1.20:37000"), QStringLiteral("123456"),
                          QStringLiteral("adb-R5CW20ABCDE-AbC12d"));
        m_sim->phone(QStringLiteral("phone1")).set(QStringLiteral("wirelessDebuggingPort"), 41234);
        if (!before.isEmpty())
            QCOMPARE(run(before).statusCode, 0);
        const ProcessResult result = run(command);
        QCOMPARE(result.statusCode, 0);
        static const QRegularExpression time(QStringLiteral("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ"));
        static const QRegularExpression seconds(QStringLiteral("(?<=\"lastUsed\": )\\d+"));
        QCOMPARE(QString(result.stdout_)
                     .replace(time, QStringLiteral("<time>"))
                     .replace(seconds, QStringLiteral("<seconds>")),
                 output);
    }

    // Refused before anything reaches the phone: a bad code runs nothing, and the simulator's adb 29 only
    // answers for its version.
    void pairingRefusals_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QList<QStringList>>("calls");
        QTest::newRow("bad code") << QStringLiteral("12ab56")
                                  << QStringLiteral("Enter the numeric pairing code shown on the phone.\n")
                                  << QList<QStringList>{};
        QTest::newRow("adb without pair")
            << QStringLiteral("123456")
            << QStringLiteral(
                   "This adb (29.0.6) cannot pair over Wi-Fi: pairing needs Android platform-tools 30 "
                   "or newer. Install it and pass its adb with --adb.\n")
            << QList<QStringList>{{QStringLiteral("version")}};
    }

    void pairingRefusals()
    {
        QFETCH(QString, code);
        QFETCH(QString, failure);
        QFETCH(QList<QStringList>, calls);
        const ProcessResult result =
            run({QStringLiteral("pair"), QStringLiteral("192.168.1.20:37000"), code});
        QCOMPARE(result.statusCode, 1);
        QCOMPARE(result.stderr_, failure);
        QCOMPARE(m_sim->callArguments(QStringLiteral("adb")), calls);
    }

    // quorvanectl has no window of its own: it takes the desktop from its environment and says what the
    // application's Doctor says there.
    void doctorFindingsAsJson_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<bool>("xwaylandChosen");
        // The shortcut finding's "level|title|action"; the Doctor's own tests hold its every text.
        QTest::addColumn<QString>("shortcuts");
        QTest::newRow("X11")
            << QByteArrayLiteral(":5") << QByteArray() << false
            << "ok|Keyboard shortcuts ready|No action needed: X11 has no permission to grant.";
        QTest::newRow("Wayland, X11 windows not chosen")
            << QByteArrayLiteral(":5") << QByteArrayLiteral("wayland-0") << false
            << "warning|Live toggles need an X11 window|Turn on \"Run mirror windows through XWayland\" in "
               "Settings: new sessions then start scrcpy with SDL_VIDEODRIVER=x11.";
        // The choice made in the application's Settings holds for this tool too.
        QTest::newRow("Wayland, X11 windows chosen")
            << QByteArrayLiteral(":5") << QByteArrayLiteral("wayland-0") << true
            << "ok|Keyboard shortcuts ready|No action needed.";
    }

    void doctorFindingsAsJson()
    {
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, wayland);
        QFETCH(bool, xwaylandChosen);
        QFETCH(QString, shortcuts);
        m_home->writeUserDefault(QStringLiteral("mirrorThroughXWayland"), xwaylandChosen);
        const QByteArray oldDisplay = qgetenv("DISPLAY");
        const QByteArray oldWayland = qgetenv("WAYLAND_DISPLAY");
        qputenv("DISPLAY", display);
        qputenv("WAYLAND_DISPLAY", wayland);
        const ProcessResult result = run({QStringLiteral("--json"), QStringLiteral("doctor")});
        qputenv("DISPLAY", oldDisplay);
        qputenv("WAYLAND_DISPLAY", oldWayland);
        QCOMPARE(result.statusCode, 0);
        const QJsonArray findings = test::jsonOutput(result).array();
        // A note on what shortcuts need closes the list only while they do not work.
        const bool noted = !shortcuts.startsWith(QLatin1String("ok|"));
        QCOMPARE(findings.size(), noted ? 6 : 5);
        QCOMPARE(findings[0].toObject(), (QJsonObject{{QStringLiteral("level"), QStringLiteral("ok")},
                                                      {QStringLiteral("title"), QStringLiteral("ADB ready")},
                                                      {QStringLiteral("detail"),
                                                       QStringLiteral("Using %1.").arg(m_sim->adbPath())}}));
        const QJsonObject shortcut = findings[3].toObject();
        QCOMPARE(QStringList({shortcut.value(QStringLiteral("level")).toString(),
                              shortcut.value(QStringLiteral("title")).toString(),
                              shortcut.value(QStringLiteral("action")).toString()})
                     .join(QLatin1Char('|')),
                 shortcuts);
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
