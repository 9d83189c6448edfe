#include "DevSim.h"
#include "LaunchConfig.h"
#include "Quorvanectl.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace quorvane;

namespace {

const QString serial = QStringLiteral("PIXEL8");

// A scrcpy that stays up for afterMs, then ends as a closed window does, or dies.
QJsonObject endsAfter(int afterMs, bool closeWindow = true)
{
    return QJsonObject{{QStringLiteral("whenArgs"), QJsonArray()},
                       {QStringLiteral("afterMs"), afterMs},
                       {QStringLiteral("closeWindow"), closeWindow}};
}

} // namespace

// quorvanectl mirror runs a real session against the simulator, like the application does.
class TestCliSession final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestHome> m_home;
    std::unique_ptr<test::DevSim> m_sim;
    std::unique_ptr<QProcess> m_ctl;
    QString m_output;

    QString showTouches() const
    {
        return m_sim->phone(QStringLiteral("phone1"))
            .read()
            .value(QStringLiteral("settings"))
            .toObject()
            .value(QStringLiteral("system"))
            .toObject()
            .value(QStringLiteral("show_touches"))
            .toString();
    }

    QByteArray journal() const
    {
        QFile file(m_home->path() + QStringLiteral("/.local/share/Quorvane/settings-journal.json"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString writeConfig(const QString &codec)
    {
        LaunchConfig config = LaunchConfig::defaultRecord();
        config.serial = serial;
        config.codec = codec;
        config.maxSize = 1920;
        return test::writeFile(m_home->file(QStringLiteral("config.json")),
                               QJsonDocument(config.toJson()).toJson());
    }

    // With ownGroup, quorvanectl leads a process group of its own, so a signal can reach it and its
    // children together, as a terminal's Ctrl+C does.
    // With --json among the words, m_output gets standard output alone.
    void startMirror(const QStringList &extra, bool ownGroup = false)
    {
        m_ctl = std::make_unique<QProcess>();
        if (ownGroup)
            m_ctl->setChildProcessModifier([] { ::setpgid(0, 0); });
        if (!extra.contains(QStringLiteral("--json")))
            m_ctl->setProcessChannelMode(QProcess::MergedChannels);
        connect(m_ctl.get(), &QProcess::readyReadStandardOutput, this,
                [this] { m_output += QString::fromUtf8(m_ctl->readAllStandardOutput()); });
        QStringList arguments{QStringLiteral("mirror"),   serial,
                              QStringLiteral("--adb"),    m_sim->adbPath(),
                              QStringLiteral("--scrcpy"), m_sim->scrcpyPath()};
        m_ctl->start(qEnvironmentVariable("QUORVANE_BIN_DIR") + QStringLiteral("/quorvanectl"),
                     arguments + extra);
    }

private slots:
    void init()
    {
        m_home = std::make_unique<test::TestHome>();
        m_sim = std::make_unique<test::DevSim>(*m_home);
        m_sim->addPhone(serial).setting(QStringLiteral("system"), QStringLiteral("show_touches"),
                                        QStringLiteral("0"));
        m_output.clear();
    }

    void cleanup()
    {
        if (m_ctl && m_ctl->state() != QProcess::NotRunning) {
            m_ctl->kill();
            m_ctl->waitForFinished();
        }
        m_ctl.reset();
        // A failed check must not leave its orphans running for the rest of the suite.
        for (const qint64 pid : m_sim->runningProcesses())
            ::kill(static_cast<pid_t>(pid), SIGKILL);
        m_sim.reset();
        m_home.reset();
    }

    void signalWhileStartingEndsTheLaunch_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("Ctrl+C") << SIGINT << 130;
        QTest::newRow("terminal closed") << SIGHUP << 129;
    }

    // The signal reaches scrcpy too, as from a terminal: its end must not pass for a failed attempt that
    // opens the next, weaker one and remembers it.
    void signalWhileStartingEndsTheLaunch()
    {
        QFETCH(int, signal);
        QFETCH(int, exitCode);
        startMirror({QStringLiteral("--config"), writeConfig(QStringLiteral("h264"))}, true);
        QTRY_VERIFY_WITH_TIMEOUT(!m_sim->scrcpySessions().isEmpty(), 10000);
        ::kill(-static_cast<pid_t>(m_ctl->processId()), signal);
        QVERIFY(m_ctl->waitForFinished(10000));
        QCOMPARE(m_ctl->exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_ctl->exitCode(), exitCode);
        QVERIFY2(m_output.contains(
                     QStringLiteral("Launch cancelled: the session was stopped while it was starting.\n")),
                 qPrintable(m_output));
        QCOMPARE(m_sim->scrcpySessions().size(), 1);
        QVERIFY(
            !QFile::exists(m_home->path() + QStringLiteral("/.local/share/Quorvane/learned-profiles.json")));
        QTRY_VERIFY(m_sim->runningProcesses().isEmpty());
    }

    // SIGKILL leaves no chance to clean up: the children must end without us. A kill during a session is
    // killedSessionsSettingIsPutBackByTheNextCommand.
    void noSimulatorProcessOutlivesAKilledQuorvanectl()
    {
        m_sim->addFault(QJsonObject{{QStringLiteral("tool"), QStringLiteral("adb")},
                                    {QStringLiteral("args"), QJsonArray{QStringLiteral("devices")}},
                                    {QStringLiteral("delayMs"), 60000}});
        startMirror({QStringLiteral("--config"), writeConfig(QStringLiteral("h264"))});
        QTRY_VERIFY_WITH_TIMEOUT(!m_sim->callArguments(QStringLiteral("adb")).isEmpty(), 10000);
        QVERIFY(!m_sim->runningProcesses().isEmpty());
        m_ctl->kill();
        QVERIFY(m_ctl->waitForFinished(5000));
        QTRY_VERIFY_WITH_TIMEOUT(m_sim->runningProcesses().isEmpty(), 5000);
    }

    // A kill leaves no chance to restore anything: the journal remembers, and the next command for the
    // phone puts the setting back and says so, once.
    void killedSessionsSettingIsPutBackByTheNextCommand()
    {
        startMirror({QStringLiteral("--config"), writeConfig(QStringLiteral("h264")),
                     QStringLiteral("--live"), QStringLiteral("showTouches")});
        QTRY_VERIFY_WITH_TIMEOUT(m_output.contains(QStringLiteral("Applied live setting: showTouches\n")),
                                 15000);
        ::kill(static_cast<pid_t>(m_ctl->processId()), SIGKILL);
        QVERIFY(m_ctl->waitForFinished(10000));
        QTRY_VERIFY_WITH_TIMEOUT(m_sim->runningProcesses().isEmpty(), 5000);
        QCOMPARE(showTouches(), QStringLiteral("1"));
        QVERIFY2(journal().contains("\"previous\": \"0\"") && journal().contains("\"serial\": \"PIXEL8\""),
                 journal().constData());

        const QStringList inspect{QStringLiteral("inspect"), serial, QStringLiteral("--adb"),
                                  m_sim->adbPath()};
        auto result = test::runQuorvanectl(inspect);
        QCOMPARE(result.statusCode, 0);
        QCOMPARE(result.stderr_, QStringLiteral("Put back show touches on PIXEL8, which Quorvane had changed "
                                                "before it was interrupted.\n"));
        QCOMPARE(showTouches(), QStringLiteral("0"));
        result = test::runQuorvanectl(inspect);
        QCOMPARE(result.stderr_, QString());
    }

    void sessionEndGivesScriptsItsReason_data()
    {
        QTest::addColumn<QJsonObject>("rule");
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("json");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("told");
        // told: the events other than log lines, or with human output its last line before the stop.
        QTest::newRow("window closed")
            << endsAfter(2500) << 0 << true << 0
            << R"(attempt started ended{"exitCode":0,"reason":"closed","scrcpyExitCode":0})";
        QTest::newRow("died mid-session")
            << endsAfter(2500, false) << 0 << true << 1
            << R"(attempt started ended{"exitCode":1,"reason":"died","scrcpyExitCode":2})";
        QJsonObject refused = endsAfter(2500, false);
        refused.insert(QStringLiteral("message"),
                       QStringLiteral("[server] ERROR: Capture/encoding error: "
                                      "android.media.MediaCodec$CodecException: Error 0xfffffc0e"));
        const QString finding = QStringLiteral(
            "Phone's encoder refused: The phone's video encoder refused the size, frame rate or codec. Lower "
            "the maximum size, or choose H.264 or another encoder.");
        QTest::newRow("died mid-session with a known line")
            << refused << 0 << false << 1 << QStringLiteral("The session ended on its own.\n") + finding;
        QTest::newRow("dies at once")
            << QJsonObject{{QStringLiteral("whenArgs"), QJsonArray()}} << 0 << true << 1
            << "attempt attempt ended{\"exitCode\":1,\"finding\":{\"action\":\"Read the previous ERROR line "
               "in "
               "the log, or run Connection Doctor.\",\"detail\":\"scrcpy\'s connection to its server on the "
               "phone "
               "failed; the real cause is the error line before this "
               "one.\",\"id\":\"server-connection-failed\","
               "\"level\":\"error\",\"line\":\"ERROR: Server connection failed\",\"title\":\"scrcpy could "
               "not "
               "reach the phone\"},\"reason\":\"failed\"}";
        QTest::newRow("Ctrl+C from the terminal")
            << QJsonObject() << SIGINT << true << 130
            << R"(attempt started ended{"exitCode":130,"reason":"interrupted"})";
        // scrcpy's own lines, held in its buffer while it ran, come out as it ends.
        QTest::newRow("kill PID, to quorvanectl alone") << QJsonObject() << SIGTERM << false << 143 << "";
    }

    // A script learns from the exit code (and with --json from one object a line) how the session ended,
    // and the setting changed live is back however it ended.
    void sessionEndGivesScriptsItsReason()
    {
        QFETCH(QJsonObject, rule);
        QFETCH(int, signal);
        QFETCH(bool, json);
        QFETCH(int, exitCode);
        QFETCH(QString, told);
        if (!rule.isEmpty())
            m_sim->addLaunchRule(rule);
        QStringList extra{QStringLiteral("--config"), writeConfig(QStringLiteral("h264")),
                          QStringLiteral("--live"), QStringLiteral("showTouches")};
        if (json)
            extra << QStringLiteral("--json");
        startMirror(extra, true);
        if (signal) {
            QTRY_VERIFY_WITH_TIMEOUT(m_output.contains(QStringLiteral("Applied live setting: showTouches")),
                                     15000);
            QCOMPARE(showTouches(), QStringLiteral("1"));
            // Ctrl+C reaches the terminal's whole group, scrcpy too; a kill of the PID only quorvanectl,
            // which must then end scrcpy itself.
            const auto pid = static_cast<pid_t>(m_ctl->processId());
            ::kill(signal == SIGINT ? -pid : pid, signal);
        }
        QVERIFY(m_ctl->waitForFinished(15000));
        QCOMPARE(m_ctl->exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_ctl->exitCode(), exitCode);
        QTRY_VERIFY(m_sim->runningProcesses().isEmpty());
        QCOMPARE(showTouches(), QStringLiteral("0"));
        QVERIFY(!journal().contains("show_touches"));
        if (!json) {
            QVERIFY2(m_output.contains(told + QStringLiteral("\nSession stopped for PIXEL8; Android settings "
                                                             "restored.\n")),
                     qPrintable(m_output));
            return;
        }
        // Nothing but events on standard output; each attempt shows the arguments scrcpy was given.
        QStringList events;
        QJsonObject ended;
        const QList<QStringList> sessions = m_sim->scrcpySessions();
        for (const QString &line : m_output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            QJsonObject event = QJsonDocument::fromJson(line.toUtf8()).object();
            const QString name = event.take(QStringLiteral("event")).toString();
            QVERIFY2(!name.isEmpty(), qPrintable(line));
            if (name == QLatin1String("attempt")) {
                const int number = event.value(QStringLiteral("number")).toInt();
                QCOMPARE(number, events.count(QStringLiteral("attempt")) + 1);
                QCOMPARE(event.value(QStringLiteral("arguments")).toVariant().toStringList(),
                         sessions.value(number - 1));
            }
            if (name != QLatin1String("log"))
                events << name;
            ended = event;
        }
        QCOMPARE(events.join(QLatin1Char(' ')) +
                     QString::fromUtf8(QJsonDocument(ended).toJson(QJsonDocument::Compact)),
                 told);
    }

    void failureTextAndExitOne_data()
    {
        QTest::addColumn<bool>("liveSetting");
        QTest::addColumn<QString>("text");
        QTest::newRow("phone not ready")
            << false << "Device is 'unauthorized', not ready. Run Connection Doctor for the next step.\n";
        // Nothing could put the setting back after a crash, so the session ends instead.
        QTest::newRow("live setting that cannot be journalled")
            << true << "<home>/.local/share/Quorvane/settings-journal.json is a folder.\n";
    }

    void failureTextAndExitOne()
    {
        QFETCH(bool, liveSetting);
        QFETCH(QString, text);
        QStringList arguments{QStringLiteral("mirror"),   serial,
                              QStringLiteral("--config"), writeConfig(QStringLiteral("h264")),
                              QStringLiteral("--adb"),    m_sim->adbPath(),
                              QStringLiteral("--scrcpy"), m_sim->scrcpyPath()};
        if (liveSetting) {
            QVERIFY(QDir().mkpath(m_home->path() +
                                  QStringLiteral("/.local/share/Quorvane/settings-journal.json")));
            arguments << QStringLiteral("--live") << QStringLiteral("showTouches");
        } else {
            m_sim->phone(QStringLiteral("phone1")).state(QStringLiteral("unauthorized"));
        }
        const auto result = test::runQuorvanectl(arguments);
        QCOMPARE(result.statusCode, 1);
        QCOMPARE(result.stderr_, text.replace(QStringLiteral("<home>"), m_home->path()));
        QTRY_VERIFY(m_sim->runningProcesses().isEmpty());
        QCOMPARE(showTouches(), QStringLiteral("0"));
    }

    void launchFlagsReachScrcpy_data()
    {
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<QStringList>("expected");
        const auto words = [](const char *text) { return QString::fromUtf8(text).split(QLatin1Char(' ')); };
        QTest::newRow("mirror") << words("--max-size=1080 --max-fps 30 --video-codec h265 --video-bit-rate "
                                         "4000K --no-audio --show-touches --fullscreen --crop 1080:1920:0:0 "
                                         "--record=<home>/clip.mkv -- --window-borderless")
                                << words(
                                       "--max-size=1080 --max-fps=30 --video-codec=h265 --video-bit-rate=4M "
                                       "--no-audio --show-touches --fullscreen --crop=1080:1920:0:0 "
                                       "--record=<home>/clip.mkv --window-borderless");
        QTest::newRow("camera") << words("--camera-facing=back --camera-size 1920x1080")
                                << words(
                                       "--video-source=camera --camera-facing=back --camera-size=1920x1080");
        QTest::newRow("desktop") << words("--new-display=1600x900/200 --turn-screen-off")
                                 << words("--new-display=1600x900/200 --turn-screen-off");
        QTest::newRow("over a record") << words("--config <record> --max-size 1280 --video-codec h264")
                                       << words("--max-size=1280 --video-codec=h264");
        // A preset's settings over the recommendation, a flag over the preset.
        QTest::newRow("preset") << words("--preset Fast --max-fps 24")
                                << words("--max-size=800 --max-fps=24 --video-codec=av1 --video-bit-rate=4M "
                                         "--no-audio");
    }

    // Each flag reaches scrcpy as scrcpy spells it, the words after "--" last; the session then ends as
    // the user closing its window.
    void launchFlagsReachScrcpy()
    {
        QFETCH(QStringList, flags);
        QFETCH(QStringList, expected);
        LaunchConfig preset = LaunchConfig::defaultRecord();
        preset.maxSize = 800;
        preset.codec = QStringLiteral("av1");
        preset.videoBitRate = 4;
        const QString presetRecord = test::writeFile(m_home->file(QStringLiteral("preset.json")),
                                                     QJsonDocument(preset.toJson()).toJson());
        QCOMPARE(test::runQuorvanectl({QStringLiteral("presets"), QStringLiteral("save"),
                                       QStringLiteral("Fast"), QStringLiteral("--config"), presetRecord})
                     .statusCode,
                 0);
        m_sim->addLaunchRule(endsAfter(2500));
        flags.replaceInStrings(QStringLiteral("<home>"), m_home->path());
        flags.replaceInStrings(QStringLiteral("<record>"), writeConfig(QStringLiteral("h265")));
        expected.replaceInStrings(QStringLiteral("<home>"), m_home->path());
        startMirror(flags);
        QVERIFY(m_ctl->waitForFinished(15000));
        QCOMPARE(m_ctl->exitCode(), 0);
        const QList<QStringList> sessions = m_sim->scrcpySessions();
        QCOMPARE(sessions.size(), 1);
        for (const QString &argument : expected)
            QVERIFY2(
                sessions.first().contains(argument),
                qPrintable(argument + QStringLiteral(" not in ") + sessions.first().join(QLatin1Char(' '))));
        if (flags.contains(QStringLiteral("--")))
            QCOMPARE(sessions.first().constLast(), flags.constLast());
    }

    void launchPolicies_data()
    {
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<int>("sessions");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("told");
        // Whether the learned profile stored before changed.
        QTest::addColumn<bool>("learned");
        QTest::newRow("the ladder, remembered")
            << QStringList() << 2 << 0
            << "Session recovered on attempt 2 of 3. This working profile "
               "is now remembered for this device."
            << true;
        QTest::newRow("--no-learn")
            << QStringList{QStringLiteral("--no-learn")} << 2 << 0
            << "Session started after Quorvane automatically recovered on attempt 2 of 3." << false;
        QTest::newRow("--no-fallback")
            << QStringList{QStringLiteral("--no-fallback")} << 1 << 1
            << "scrcpy exited immediately after 1 smart attempt. Open Connection Doctor and verify the "
               "device/runtime."
            << false;
        QTest::newRow("recording over a file")
            << QStringList{QStringLiteral("--record=<home>/config.json.mp4")} << 0 << 1
            << "Cannot record to <home>/config.json.mp4: a file is already there, and recording would "
               "replace it."
            << false;
    }

    // h265 dies at once here: the ladder recovers on h264 and remembers it, unless told otherwise.
    void launchPolicies()
    {
        QFETCH(QStringList, flags);
        QFETCH(int, sessions);
        QFETCH(int, exitCode);
        QFETCH(QString, told);
        QFETCH(bool, learned);
        m_home->writeUserDefault(QStringLiteral("mirrorThroughXWayland"), true);
        m_sim->addLaunchRule({QStringLiteral("--video-codec=h265")}, 1);
        m_sim->addLaunchRule(endsAfter(1500));
        test::writeFile(m_home->file(QStringLiteral("config.json.mp4")));
        const QString learnedPath = test::writeFile(
            m_home->file(QStringLiteral(".local/share/Quorvane/learned-profiles.json")),
            R"({"profiles": {"PIXEL8\u001fmirror": {"audio": false, "codec": "av1", "maxFps": 0,)"
            R"( "maxSize": 0}}})");
        const auto store = [&learnedPath] {
            QFile file(learnedPath);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray before = store();
        flags.replaceInStrings(QStringLiteral("<home>"), m_home->path());
        told.replace(QStringLiteral("<home>"), m_home->path());
        startMirror(QStringList{QStringLiteral("--config"), writeConfig(QStringLiteral("h265"))} + flags);
        QVERIFY(m_ctl->waitForFinished(15000));
        QCOMPARE(m_ctl->exitCode(), exitCode);
        QVERIFY2(m_output.contains(told + QLatin1Char('\n')), qPrintable(m_output));
        QCOMPARE(m_sim->scrcpySessions().size(), sessions);
        QCOMPARE(store() != before, learned);
        QCOMPARE(store().contains("\"codec\": \"h264\""), learned);
        // Every attempt opens the window the user chose in the application's Settings.
        for (const QJsonObject &call : m_sim->calls()) {
            if (call.value(QStringLiteral("argv"))
                    .toArray()
                    .contains(QStringLiteral("--shortcut-mod=lctrl,lalt")))
                QCOMPARE(call.value(QStringLiteral("SDL_VIDEODRIVER")).toString(), QStringLiteral("x11"));
        }
    }

    void screenshotPrintsThePath()
    {
        const auto result = test::runQuorvanectl(
            {QStringLiteral("screenshot"), serial, QStringLiteral("--adb"), m_sim->adbPath()});
        QCOMPARE(result.statusCode, 0);
        // How the file is named and written is the screenshot tests'; here, that the path printed is it.
        QFile png(result.stdout_.trimmed());
        QVERIFY(png.open(QIODevice::ReadOnly));
        QVERIFY(png.readAll().startsWith("\x89PNG\r\n\x1a\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliSession)
#include "tst_cli_session.moc"
