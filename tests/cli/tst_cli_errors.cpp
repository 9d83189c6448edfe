#include "DevSim.h"
#include "Quorvanectl.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <csignal>

using namespace quorvane;

namespace {

const QString serial = QStringLiteral("R5CW20ABCDE");
const QString pairingAddress = QStringLiteral("192.168.1.31:37099");

} // namespace

// Each error line adb and scrcpy are known to print, printed by the simulator, reaches the user of
// quorvanectl as the finding that explains it: its sentence first on the stream the user reads, and with
// --json its fields beside the original line.
class TestCliErrors final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestHome> m_home;
    std::unique_ptr<test::DevSim> m_sim;

    // A second adb, as an IDE's SDK installs one, that speaks an older server protocol than the first.
    QString rivalAdb()
    {
        const QString folder = m_home->path() + QStringLiteral("/Android/Sdk/platform-tools");
        QDir().mkpath(folder);
        const QString path = folder + QStringLiteral("/adb");
        QFile::link(m_sim->adbPath(), path);
        m_sim->updateWorld([&path](QJsonObject &world) {
            QJsonObject adb = world.value(QStringLiteral("adb")).toObject();
            adb.insert(QStringLiteral("installations"),
                       QJsonObject{{path, QJsonObject{{QStringLiteral("version"), QStringLiteral("30.0.4")},
                                                      {QStringLiteral("protocol"), 39}}}});
            adb.insert(QStringLiteral("serverRunning"), true);
            adb.insert(QStringLiteral("serverProtocol"), 41);
            world.insert(QStringLiteral("adb"), adb);
        });
        return path;
    }

    // How the row makes the simulator print: "adb ARGS" (a fault on those words, the line on stderr),
    // "adb-stdout ARGS", "scrcpy" (every session dies with the line), "pair" (a pairing whose code is
    // 654321), "refused"/"unreachable"/"timeout" (a connect
    // outcome), "rival" (a second adb installation).
    QStringList arrange(const QString &setup, const QString &printed)
    {
        const QStringList tools{QStringLiteral("--adb"), m_sim->adbPath(), QStringLiteral("--scrcpy"),
                                m_sim->scrcpyPath()};
        const QStringList words = setup.split(QLatin1Char(' '));
        const QString kind = words.first();
        if (kind == QLatin1String("adb"))
            m_sim->addFault(words.mid(1), 1, printed, {},
                            words.value(1) == QLatin1String("exec-out") ? std::optional(serial)
                                                                        : std::nullopt);
        else if (kind == QLatin1String("adb-stdout"))
            m_sim->addFault(words.mid(1), 0, {}, printed);
        else if (kind == QLatin1String("scrcpy"))
            m_sim->addLaunchRule({}, 1, printed);
        else if (kind == QLatin1String("pair"))
            m_sim->addPairing(pairingAddress, QStringLiteral("654321"),
                              QStringLiteral("adb-R5CW20ABCDE-AbC12d"));
        else if (kind == QLatin1String("refused") || kind == QLatin1String("unreachable") ||
                 kind == QLatin1String("timeout"))
            m_sim->setConnectOutcome(pairingAddress, kind);
        else if (kind == QLatin1String("rival"))
            return {QStringLiteral("--adb"), rivalAdb()};
        return tools;
    }

private slots:
    void init()
    {
        m_home = std::make_unique<test::TestHome>();
        m_sim = std::make_unique<test::DevSim>(*m_home);
        m_sim->addPhone(serial);
        m_sim->setAdbVersion(QStringLiteral("35.0.2"));
    }

    void cleanup()
    {
        for (const qint64 pid : m_sim->runningProcesses())
            ::kill(static_cast<pid_t>(pid), SIGKILL);
        m_sim.reset();
        m_home.reset();
    }

    void knownLineBecomesItsFinding_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("printed");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("title");

        const QString screenshot = QStringLiteral("screenshot ") + serial;
        const QString mirror = QStringLiteral("mirror ") + serial;
        const QString pair = QStringLiteral("pair ") + pairingAddress;
        const auto row = [](const char *name, const QString &setup, const QString &command, const char *line,
                            int exitCode, const char *title) {
            QTest::newRow(name) << setup << command << QString::fromUtf8(line) << QString::fromUtf8(line)
                                << exitCode << QString::fromUtf8(title);
        };
        // adb. The rival's line comes with a list that still works, hence exit 0.
        row("server version mismatch", QStringLiteral("rival"), QStringLiteral("devices"),
            "adb server version (41) doesn't match this client (39); killing...", 0,
            "Two adb versions are fighting");
        row("insufficient permissions", QStringLiteral("adb exec-out"), screenshot,
            "error: insufficient permissions for device: user in plugdev group; are your udev rules wrong?",
            1, "USB permission needed");
        row("adb unauthorized", QStringLiteral("adb exec-out"), screenshot, "adb: device unauthorized.", 1,
            "Phone has not allowed this computer");
        row("adb offline", QStringLiteral("adb exec-out"), screenshot, "adb: device offline", 1,
            "Phone connection is half-open");
        row("no pair command", QStringLiteral("adb pair"), pair + QStringLiteral(" 123456"),
            "adb: unknown command pair", 1, "adb too old to pair");
        row("wrong pairing code", QStringLiteral("pair"), pair + QStringLiteral(" 123456"),
            "Failed: Wrong password or connection was dropped.", 1, "Pairing code not accepted");
        // Pairing works: the finding says which port comes next, on standard output with the answer.
        row("paired", QStringLiteral("pair"), pair + QStringLiteral(" 654321"),
            "Successfully paired to 192.168.1.31:37099 [guid=adb-R5CW20ABCDE-AbC12d]", 0,
            "Paired: now connect");
        row("connection refused", QStringLiteral("refused"), QStringLiteral("connect ") + pairingAddress,
            "failed to connect to '192.168.1.31:37099': Connection refused", 1,
            "Nothing listens on that port");
        row("not authorized over Wi-Fi", QStringLiteral("adb-stdout connect"),
            QStringLiteral("connect 192.168.1.31:5555"), "failed to authenticate to 192.168.1.31:5555", 1,
            "Phone has not allowed this computer over Wi-Fi");
        row("no route", QStringLiteral("unreachable"), QStringLiteral("connect ") + pairingAddress,
            "failed to connect to '192.168.1.31:37099': No route to host", 1, "Phone not reachable");
        row("connect timed out", QStringLiteral("timeout"), QStringLiteral("connect ") + pairingAddress,
            "failed to connect to '192.168.1.31:37099': Connection timed out", 1, "Phone not reachable");
        row("server cannot start", QStringLiteral("adb devices"), QStringLiteral("devices"),
            "adb: failed to check server version: cannot connect to daemon", 1, "adb server cannot start");
        // scrcpy, its client and the server on the phone.
        const QString scrcpy = QStringLiteral("scrcpy");
        row("no ADB device", scrcpy, mirror, "ERROR: Could not find any ADB device", 1, "No phone ready");
        QTest::newRow("scrcpy unauthorized")
            << scrcpy << mirror
            << QStringLiteral("ERROR: Device is unauthorized:\nERROR: A popup should open on the device to "
                              "request authorization.")
            << QStringLiteral("ERROR: Device is unauthorized:") << 1
            << QStringLiteral("Phone has not allowed this computer");
        row("scrcpy offline", scrcpy, mirror, "ERROR: Device could not be connected (state=offline)", 1,
            "Phone connection is half-open");
        row("unsupported codec", scrcpy, mirror,
            "ERROR: Demuxer 'video': stream disabled due to unsupported codec", 1,
            "This computer cannot decode the video");
        row("missing decoder", scrcpy, mirror,
            "ERROR: Demuxer 'video': stream disabled due to missing decoder", 1,
            "This computer cannot decode the video");
        row("no SDL video", scrcpy, mirror,
            "ERROR: Could not initialize SDL video: No available video device", 1,
            "No display for the mirror window");
        // "ERROR: Server connection failed" is the session tests' "dies at once".
        row("encoder refused", scrcpy, mirror,
            "[server] ERROR: Capture/encoding error: android.media.MediaCodec$CodecException: Error "
            "0xfffffc0e",
            1, "Phone's encoder refused");
        row("server of another version", scrcpy, mirror,
            "[server] ERROR: The server version (4.1) does not match the client (3.3.4)", 1,
            "scrcpy server from another version");
        row("camera before Android 12", scrcpy, mirror,
            "[server] ERROR: Camera mirroring is not supported before Android 12", 1,
            "Camera needs Android 12");
        row("no audio before Android 11", scrcpy, mirror,
            "[server] WARN: Audio disabled: it is not supported before Android 11", 1,
            "No audio of that kind");
    }

    void knownLineBecomesItsFinding()
    {
        QFETCH(QString, setup);
        QFETCH(QString, command);
        QFETCH(QString, printed);
        QFETCH(QString, line);
        QFETCH(int, exitCode);
        QFETCH(QString, title);
        const QStringList words = command.split(QLatin1Char(' ')) + arrange(setup, printed);
        const ProcessResult result = test::runQuorvanectl(QStringList{QStringLiteral("--json")} + words);
        QCOMPARE(result.statusCode, exitCode);
        // A successful answer keeps its output; the explanation stands above the line it explains.
        if (setup == QLatin1String("rival")) {
            QVERIFY2(result.stderr_.startsWith(title + QStringLiteral(": ")), qPrintable(result.stderr_));
            return;
        }
        if (exitCode == 0) {
            const QString message =
                test::jsonOutput(result).object().value(QStringLiteral("message")).toString();
            QVERIFY2(message.startsWith(title + QStringLiteral(": ")), qPrintable(message));
            QVERIFY2(message.endsWith(QLatin1Char('\n') + line), qPrintable(message));
            return;
        }
        QVERIFY2(result.stderr_.startsWith(title + QStringLiteral(": ")), qPrintable(result.stderr_));
        QVERIFY2(result.stderr_.contains(line), qPrintable(result.stderr_));
        // The last line of standard output: a session's event lines come before it.
        const QStringList lines = result.stdout_.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QJsonObject finding = QJsonDocument::fromJson(lines.value(lines.size() - 1).toUtf8())
                                        .object()
                                        .value(QStringLiteral("finding"))
                                        .toObject();
        QCOMPARE(finding.value(QStringLiteral("title")).toString(), title);
        QVERIFY2(finding.value(QStringLiteral("line")).toString().contains(line),
                 qPrintable(finding.value(QStringLiteral("line")).toString()));
    }

    // The Doctor finds the rival adb by itself, before any server was restarted.
    void doctorNamesARivalAdb()
    {
        const QString rival = rivalAdb();
        const ProcessResult result =
            test::runQuorvanectl({QStringLiteral("doctor"), QStringLiteral("--adb"), m_sim->adbPath()});
        QCOMPARE(result.statusCode, 0);
        const QString finding =
            QStringLiteral(
                "[warning] Two adb versions installed: Quorvane uses %1, but %2 (adb 30.0.4) is also "
                "installed. When both run, each restarts the other's server and phones disconnect.")
                .arg(m_sim->adbPath(), rival);
        QVERIFY2(result.stdout_.contains(finding), qPrintable(result.stdout_));
    }
};

QTEST_GUILESS_MAIN(TestCliErrors)
#include "tst_cli_errors.moc"
