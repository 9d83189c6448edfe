#include "Await.h"
#include "DevSim.h"
#include "Errors.h"
#include "FailureText.h"
#include "ProfileStore.h"
#include "RuntimeLocator.h"
#include "SessionManager.h"
#include "SettingsJournal.h"
#include "TestHome.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace quorvane;
using namespace Qt::StringLiterals;
using test::failureOf;

namespace {

const QString serial = u"PIXEL8"_s;

LaunchConfig mirrorConfig()
{
    LaunchConfig config = LaunchConfig::defaultRecord();
    config.serial = serial;
    config.maxSize = 1920;
    config.maxFps = 60;
    return config;
}

QString settingOf(const test::DevSim &sim, const QString &space, const QString &key)
{
    const QJsonObject phone = sim.readWorld().value(u"phones"_s).toObject().begin()->toObject();
    const QJsonValue value = phone.value(u"settings"_s).toObject().value(space).toObject().value(key);
    return value.isUndefined() ? u"<unset>"_s : value.toString();
}

int settingCalls(const test::DevSim &sim, const QString &verb, const QString &key)
{
    return sim.callsWith(u"adb"_s, {u"settings"_s, verb, key});
}

// A process that still runs: neither gone nor a zombie waiting to be reaped.
bool stillRuns(qint64 pid)
{
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype nameEnd = text.lastIndexOf(')');
    return nameEnd >= 0 && text.mid(nameEnd + 2, 1) != "Z";
}

// The text an operation failed with ("" when it succeeded), as a task of its own so that the test can
// keep it while the event loop runs.
template<typename T>
QCoro::Task<QString> outcomeOf(QCoro::Task<T> task)
{
    try {
        co_await std::move(task);
    } catch (const Error &error) {
        co_return error.text();
    }
    co_return QString();
}

} // namespace

class TestSessionManager final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestHome> m_home;
    std::unique_ptr<test::DevSim> m_sim;
    std::unique_ptr<SessionManager> m_manager;
    QStringList m_log;

    SessionManager &manager() { return *m_manager; }

    LaunchResult launch(const LaunchConfig &config)
    {
        return test::await(manager().launch(config, MediaService{m_sim->toolPaths()}));
    }

    QCoro::Task<QString> startOperation(const QString &operation)
    {
        LaunchConfig config = mirrorConfig();
        if (operation == QLatin1String("launch"))
            return outcomeOf(manager().launch(config, MediaService{m_sim->toolPaths()}));
        if (operation == QLatin1String("stop"))
            return outcomeOf(manager().stop(serial));
        config.showTouches = true;
        return outcomeOf(manager().applyLiveSetting(u"showTouches"_s, config, {}));
    }

    QString liveFailure(const QString &setting, const LaunchConfig &config,
                        SessionManager::KeySender sender = {})
    {
        return failureOf(manager().applyLiveSetting(setting, config, std::move(sender)));
    }

private slots:
    void init()
    {
        m_home = std::make_unique<test::TestHome>();
        m_sim = std::make_unique<test::DevSim>(*m_home);
        m_sim->addPhone(serial).setting(u"system"_s, u"show_touches"_s, u"0"_s);
        m_log.clear();
        m_manager = std::make_unique<SessionManager>(
            // The real 0.9 s watch: a child that "exits at once" must die inside it even when the simulator
            // starts slowly (sanitizer builds).
            m_sim->toolPaths(), [this](const QString &line) { m_log << line; }, Timing{});
    }

    void cleanup()
    {
        if (m_manager)
            test::await(m_manager->stopAll());
        m_manager.reset();
        m_sim.reset();
        m_home.reset();
    }

    void firstRungStaysUp()
    {
        const LaunchResult result = launch(mirrorConfig());
        QCOMPARE(result.message, u"Session started with the selected smart profile."_s);
        QCOMPARE(result.attempts, 1);
        QVERIFY(!result.fallbackUsed);
        QVERIFY(result.commandPreview.startsWith(m_sim->scrcpyPath() + u" -s PIXEL8 "_s));
        QCOMPARE(m_log.first(), u"Attempt 1/3: "_s + result.commandPreview);
        QCOMPARE(manager().status().mode, u"mirror"_s);
    }

    // Mirror's wording of a recovery is quorvanectl's launch-policy test; a camera says it its own way.
    void cameraLadderRecoversAndRemembers()
    {
        // Five rungs: the encoder goes first, then the codec, then size and rate.
        LaunchConfig config = mirrorConfig();
        config.mode = u"camera"_s;
        config.videoEncoder = u"c2.qti.hevc.encoder"_s;
        config.codec = u"h265"_s;
        m_sim->addLaunchRule({u"--video-codec=h265"_s}, 1);
        const LaunchResult result = launch(config);
        QCOMPARE(result.message,
                 u"Camera opened after Quorvane automatically found a safer working combination "
                 "on attempt 3 of 5."_s);
        QCOMPARE(result.attempts, 3);
        QVERIFY(result.fallbackUsed);
        QCOMPARE(m_log.filter(u"exited immediately."_s),
                 (QStringList{u"Attempt 1 exited immediately."_s, u"Attempt 2 exited immediately."_s}));
        // scrcpy's error stream reaches the log with its label.
        QVERIFY(m_log.contains(
            u"scrcpy: [server] ERROR: Video encoder 'c2.qti.hevc.encoder' for h265 not found"_s));
        const auto learned = ProfileStore().load(serial, u"camera"_s);
        QVERIFY(learned.has_value());
        QCOMPARE(learned->codec, u"h264"_s);
        QCOMPARE(learned->maxSize, 1920u);
    }

    // What the phone or the computer refused is changed at once; the rungs between are skipped.
    void ladderLearnsFromTheRefusal_data()
    {
        QTest::addColumn<QString>("encoder");
        QTest::addColumn<QString>("codec");
        QTest::addColumn<quint32>("maxSize");
        QTest::addColumn<QString>("refusedArgument");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("learnedCodec");
        QTest::addColumn<quint32>("learnedSize");
        const QString refusal = u"[server] ERROR: Capture/encoding error: "
                                "android.media.MediaCodec$CodecException: Error 0xfffffc0e"_s;
        const QString recovered =
            u" Session recovered on attempt 2 of %1. This working profile is now remembered for "
            "this device."_s;
        QTest::newRow("encoder refuses the size")
            << u"c2.exynos.hevc.encoder"_s << u"h265"_s << 1920u << u"--max-size=1920"_s << refusal
            << u"The phone's encoder refused 1920 px; using 1280 px."_s + recovered.arg(5) << u"h264"_s
            << 1280u;
        QTest::newRow("encoder refuses the codec")
            << u"c2.exynos.hevc.encoder"_s << u"h265"_s << 1280u << u"--video-codec=h265"_s << refusal
            << u"The phone's encoder refused H.265; using H.264."_s + recovered.arg(4) << u"h264"_s << 1280u;
        QTest::newRow("no decoder on the computer")
            << u"c2.android.av1.encoder"_s << u"av1"_s << 1920u << u"--video-codec=av1"_s
            << u"ERROR: Demuxer 'video': stream disabled due to missing decoder"_s
            << u"This computer cannot decode AV1; using H.264."_s + recovered.arg(5) << u"h264"_s << 1920u;
    }

    void ladderLearnsFromTheRefusal()
    {
        QFETCH(QString, encoder);
        QFETCH(QString, codec);
        QFETCH(quint32, maxSize);
        QFETCH(QString, refusedArgument);
        QFETCH(QString, line);
        QFETCH(QString, message);
        QFETCH(QString, learnedCodec);
        QFETCH(quint32, learnedSize);
        m_sim->addLaunchRule({refusedArgument}, 1, line);
        LaunchConfig config = mirrorConfig();
        config.videoEncoder = encoder;
        config.codec = codec;
        config.maxSize = maxSize;
        const LaunchResult result = launch(config);
        QCOMPARE(result.message, message);
        QCOMPARE(result.attempts, 2);
        const auto learned = ProfileStore().load(serial, u"mirror"_s);
        QVERIFY(learned.has_value());
        QCOMPARE(learned->codec, learnedCodec);
        QCOMPARE(learned->maxSize, learnedSize);
    }

    void everyRungFailing_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QString>("explained");
        QTest::newRow("unlocked phone")
            << false
            << "session: scrcpy could not reach the phone: scrcpy's connection to its server on the phone "
               "failed; the real cause is the error line before this one. Read the previous ERROR line in "
               "the log, or run Connection Doctor.";
        // The phone's own dump of its window policy tells the lock screen shows.
        QTest::newRow("locked phone") << true
                                      << "session: Phone screen is locked: The phone's screen was locked "
                                         "when scrcpy stopped at once, which can keep it from starting. "
                                         "Unlock the phone and try again.";
    }

    void everyRungFailing()
    {
        QFETCH(bool, locked);
        QFETCH(QString, explained);
        m_sim->phone(u"phone1"_s).set(u"locked"_s, locked);
        m_sim->addLaunchRule({u"--shortcut-mod=lctrl,lalt"_s}, 1);
        // The line scrcpy ended with is explained first and kept last.
        QCOMPARE(failureOf(manager().launch(mirrorConfig(), MediaService{m_sim->toolPaths()})),
                 explained +
                     u"\nscrcpy exited immediately after 3 smart attempts. Open Connection "
                     "Doctor and verify the device/runtime.\n"_s +
                     (locked ? u"dumpsys window: the keyguard is showing"_s
                             : u"ERROR: Server connection failed"_s));
        QVERIFY(!ProfileStore().load(serial, u"mirror"_s));
        QCOMPARE(m_log.filter(u"exited immediately."_s).size(), 3);
    }

    void childDyingInsideTheWatchWindowFails()
    {
        QJsonObject rule{
            {u"whenArgs"_s, QJsonArray{u"--max-size=1920"_s}}, {u"afterMs"_s, 150}, {u"exitCode"_s, 2}};
        m_sim->addLaunchRule(rule);
        const LaunchResult result = launch(mirrorConfig());
        QCOMPARE(result.attempts, 2);
    }

    void refusesBeforeStartingAnything_data()
    {
        QTest::addColumn<QString>("configSerial");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("message"); // $SCRCPY stands for the simulator's scrcpy
        QTest::addColumn<QString>("scrcpyVersion");
        QTest::newRow("unknown mode")
            << serial << u"theatre"_s << u"invalidInput: Unknown session mode."_s << u"4.1"_s;
        // Debian 12's scrcpy rejects options we pass: one clear sentence instead of a failing ladder.
        QTest::newRow("scrcpy too old")
            << serial << u"mirror"_s
            << "runtimeMissing: Found scrcpy 1.25 at $SCRCPY, but Quorvane needs scrcpy 4.0 or newer: unpack "
               "the scrcpy project's Linux release archive anywhere, then set its scrcpy in Settings (for "
               "quorvanectl, --scrcpy PATH) or put its folder on PATH."
            << u"1.25"_s;
    }

    void refusesBeforeStartingAnything()
    {
        QFETCH(QString, configSerial);
        QFETCH(QString, mode);
        QFETCH(QString, message);
        QFETCH(QString, scrcpyVersion);
        m_sim->setScrcpy(u"version"_s, scrcpyVersion);
        LaunchConfig config = mirrorConfig();
        config.serial = configSerial;
        config.mode = mode;
        QCOMPARE(failureOf(manager().launch(config, MediaService{m_sim->toolPaths()})),
                 message.replace(u"$SCRCPY"_s, m_sim->scrcpyPath()));
        QVERIFY(m_sim->scrcpySessions().isEmpty());
    }

    void sessionEnvironment_data()
    {
        QTest::addColumn<bool>("bundled");
        QTest::newRow("user overrides") << false;
        QTest::newRow("in-bundle runtime wins over the override") << true;
    }

    // The X11 window asked for in Settings reaching every attempt is quorvanectl's launch-policy check.
    void sessionEnvironment()
    {
        QFETCH(bool, bundled);
        if (bundled)
            m_sim->installAsBundle();
        launch(mirrorConfig());
        const QList<QJsonObject> calls = m_sim->calls();
        // The session, not the version query before it.
        const auto session = std::find_if(calls.cbegin(), calls.cend(), [](const QJsonObject &call) {
            return call.value(u"tool"_s) == QLatin1String("scrcpy") &&
                   call.value(u"argv"_s).toArray().contains(u"--shortcut-mod=lctrl,lalt"_s);
        });
        QVERIFY(session != calls.cend());
        QCOMPARE(session->value(u"ADB"_s).toString(), m_sim->adbPath());
        if (bundled)
            QCOMPARE(session->value(u"pathHead"_s).toString(), m_sim->binDir());
        else
            QVERIFY(session->value(u"pathHead"_s).toString() != m_sim->binDir());
    }

    // Nothing was changed live, so nothing is said to be restored.
    void stopTerminatesAndLogs()
    {
        launch(mirrorConfig());
        test::await(manager().stop(serial));
        QVERIFY(!manager().isRunning());
        QCOMPARE(m_log.last(), u"Session stopped for PIXEL8."_s);
        const qsizetype lines = m_log.size();
        test::await(manager().stop(serial));
        QCOMPARE(m_log.size(), lines);
    }

    void stopKillsAChildThatIgnoresTermination()
    {
        m_sim->setScrcpy(u"ignoreSigterm"_s, true);
        launch(mirrorConfig());
        QElapsedTimer timer;
        timer.start();
        test::await(manager().stop(serial));
        QVERIFY(!manager().isRunning());
        QVERIFY2(timer.elapsed() >= 20 * 50, "the child was killed before the polite checks ran out");
    }

    void showTouchesBackedUpOnceAndRestored_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("restoreFails");
        QTest::addColumn<QString>("after");
        QTest::newRow("earlier value written back") << u"0"_s << false << u"0"_s;
        QTest::newRow("missing value deleted") << u""_s << false << u"<unset>"_s;
        // The journal keeps what the phone did not take, for the next time the phone is met.
        QTest::newRow("failed restore stays journalled") << u"0"_s << true << u"1"_s;
    }

    void showTouchesBackedUpOnceAndRestored()
    {
        QFETCH(QString, before);
        QFETCH(bool, restoreFails);
        QFETCH(QString, after);
        if (before.isEmpty()) // a phone that never had the setting
            m_sim->phone(u"phone1"_s).set(u"settings"_s, QJsonObject{{u"system"_s, QJsonObject()}});
        LaunchConfig config = mirrorConfig();
        launch(config);
        config.showTouches = true;
        test::await(manager().applyLiveSetting(u"showTouches"_s, config, {}));
        QCOMPARE(settingOf(*m_sim, u"system"_s, u"show_touches"_s), u"1"_s);
        config.showTouches = false;
        test::await(manager().applyLiveSetting(u"showTouches"_s, config, {}));
        config.showTouches = true;
        test::await(manager().applyLiveSetting(u"showTouches"_s, config, {}));
        QCOMPARE(settingCalls(*m_sim, u"get"_s, u"show_touches"_s), 1);
        QCOMPARE(m_log.last(), u"Applied live setting: showTouches"_s);
        QVERIFY(manager().status().appliedConfig->showTouches);
        const QList<JournalEntry> journalled = SettingsJournal().entries();
        QCOMPARE(journalled.size(), 1);
        QCOMPARE(journalled[0].previous.value, before.isEmpty() ? std::nullopt : std::optional(before));

        if (restoreFails)
            m_sim->addFault({u"shell"_s, u"settings"_s, u"put"_s, u"system"_s, u"show_touches"_s, before},
                            255, u"error: closed"_s);
        test::await(manager().stop(serial));
        QCOMPARE(m_log.last(), u"Session stopped for PIXEL8; Android settings restored."_s);
        QCOMPARE(settingOf(*m_sim, u"system"_s, u"show_touches"_s), after);
        QCOMPARE(SettingsJournal().entries(), restoreFails ? journalled : QList<JournalEntry>{});
    }

    void showTouchesManagedByScrcpyIsNotBackedUp()
    {
        LaunchConfig config = mirrorConfig();
        config.showTouches = true;
        launch(config);
        config.showTouches = false;
        test::await(manager().applyLiveSetting(u"showTouches"_s, config, {}));
        QCOMPARE(settingCalls(*m_sim, u"get"_s, u"show_touches"_s), 0);
        const int puts = settingCalls(*m_sim, u"put"_s, u"show_touches"_s);
        test::await(manager().stop(serial));
        QCOMPARE(settingCalls(*m_sim, u"put"_s, u"show_touches"_s), puts);
        QCOMPARE(settingCalls(*m_sim, u"delete"_s, u"show_touches"_s), 0);
    }

    void liveSettingRefusals()
    {
        LaunchConfig config = mirrorConfig();
        QCOMPARE(liveFailure(u"showTouches"_s, config), u"session: No active scrcpy session is running."_s);
        launch(config);
        LaunchConfig other = config;
        other.serial = u"OTHER"_s;
        QCOMPARE(liveFailure(u"showTouches"_s, other),
                 u"session: The active scrcpy window belongs to another device or mode."_s);
        other = config;
        other.mode = u"creator"_s;
        QCOMPARE(liveFailure(u"showTouches"_s, other),
                 u"session: The active scrcpy window belongs to another device or mode."_s);
        // Without a key sender the desktop's own sentence says why; the platform test checks its words.
        m_manager->setDesktop(HostDesktop(HostDesktop::Kind::X11));
        QCOMPARE(liveFailure(u"fullscreen"_s, config),
                 u"unchecked: "_s + HostDesktop(HostDesktop::Kind::X11).shortcutsUnavailable());
        QCOMPARE(liveFailure(u"videoBitRate"_s, config),
                 u"session: This setting requires restarting the current scrcpy session."_s);
    }

    void unsupportedInMode_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("setting");
        QTest::newRow("stay awake in desktop") << u"desktop"_s << u"stayAwake"_s;
        QTest::newRow("stay awake in camera") << u"camera"_s << u"stayAwake"_s;
        QTest::newRow("show touches in camera") << u"camera"_s << u"showTouches"_s;
    }

    void unsupportedInMode()
    {
        QFETCH(QString, mode);
        QFETCH(QString, setting);
        LaunchConfig config = mirrorConfig();
        config.mode = mode;
        launch(config);
        QCOMPARE(liveFailure(setting, config),
                 u"session: This setting requires restarting the current scrcpy session."_s);
    }

    // Fullscreen and screen off reach the mirror window through the key sender in the window test; scrcpy's
    // MOD+o only turns the screen off, so turning it back on is another key.
    void screenBackOnIsAnotherKey()
    {
        LaunchConfig config = mirrorConfig();
        config.turnScreenOff = true;
        launch(config);
        QStringList keys;
        QList<qint64> activated;
        manager().setOnProcessSpawned([&activated](qint64 pid) { activated << pid; });
        config.turnScreenOff = false;
        test::await(manager().applyLiveSetting(u"turnScreenOff"_s, config,
                                               [&keys](QString sent) -> QCoro::Task<void> {
                                                   keys << sent;
                                                   co_return;
                                               }));
        QCOMPARE(keys, QStringList{u"shift+o"_s});
        QCOMPARE(activated.size(), 1);
        QCOMPARE(manager().status().appliedConfig, config);
    }

    void statusPrunesEndedSessionsAndRestoresInTheBackground()
    {
        QJsonObject rule{{u"whenArgs"_s, QJsonArray{u"--max-size=1920"_s}}, {u"afterMs"_s, 2500}};
        m_sim->addLaunchRule(rule);
        LaunchConfig config = mirrorConfig();
        launch(config);
        config.showTouches = true;
        test::await(manager().applyLiveSetting(u"showTouches"_s, config, {}));
        QTRY_VERIFY(!manager().isRunning());
        // Until something asks for the status, the ended session is still known as closed.
        QCOMPARE(liveFailure(u"showTouches"_s, config),
                 u"session: The active scrcpy window has already closed."_s);
        QVERIFY(!manager().status().active);
        QTRY_COMPARE(settingOf(*m_sim, u"system"_s, u"show_touches"_s), u"0"_s);
        QVERIFY(m_sim->callArguments(u"adb"_s).last().contains(u"show_touches"_s));
        QCOMPARE(manager().runningSerials(), QSet<QString>{});
    }

    void destroyedMidOperation_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("delayedCall");
        QTest::addColumn<QString>("triggerTool");
        QTest::addColumn<QStringList>("triggerWords");
        QTest::addColumn<int>("triggerCount");
        QTest::addColumn<QString>("outcome");

        const QStringList put{u"shell"_s, u"settings"_s, u"put"_s};
        const QString abandoned = u"The session was abandoned because Quorvane is closing."_s;
        QTest::newRow("stop, waiting for a child that ignores termination")
            << u"stop"_s << QStringList{} << QString() << QStringList{} << 0 << QString();
        QTest::newRow("stop, putting the phone setting back")
            << u"stop"_s << put << u"adb"_s << QStringList{u"put"_s, u"show_touches"_s} << 2 << QString();
        QTest::newRow("launch, listing devices") << u"launch"_s << QStringList{u"devices"_s} << u"adb"_s
                                                 << QStringList{u"devices"_s} << 1 << abandoned;
        QTest::newRow("launch, watching the new child")
            << u"launch"_s << QStringList{} << u"scrcpy"_s << QStringList{u"--shortcut-mod=lctrl,lalt"_s} << 1
            << abandoned;
        QTest::newRow("live setting, reading the phone's value")
            << u"live"_s << QStringList{u"shell"_s, u"settings"_s, u"get"_s} << u"adb"_s
            << QStringList{u"get"_s, u"show_touches"_s} << 1
            << u"The active scrcpy window has already closed."_s;
    }

    // At quit the application may give up on a slow operation and destroy the manager under it. What was
    // suspended must then end without touching the manager: no crash, no log line, no child left running.
    void destroyedMidOperation()
    {
        QFETCH(QString, operation);
        QFETCH(QStringList, delayedCall);
        QFETCH(QString, triggerTool);
        QFETCH(QStringList, triggerWords);
        QFETCH(int, triggerCount);
        QFETCH(QString, outcome);
        m_sim->setScrcpy(u"ignoreSigterm"_s, true);
        if (operation != QLatin1String("launch")) {
            LaunchConfig config = mirrorConfig();
            launch(config);
            if (operation == QLatin1String("stop")) {
                config.showTouches = true;
                test::await(manager().applyLiveSetting(u"showTouches"_s, config, {}));
            }
        }
        if (!delayedCall.isEmpty())
            m_sim->addFault(QJsonObject{{u"tool"_s, u"adb"_s},
                                        {u"args"_s, QJsonArray::fromStringList(delayedCall)},
                                        {u"delayMs"_s, 1000},
                                        {u"times"_s, 1}});

        QCoro::Task<QString> running = startOperation(operation);
        if (triggerWords.isEmpty())
            QTest::qWait(200);
        else
            QTRY_VERIFY(m_sim->callsWith(triggerTool, triggerWords) >= triggerCount);
        QVERIFY(!running.isReady());
        m_manager.reset();
        const qsizetype lines = m_log.size();

        QTRY_VERIFY_WITH_TIMEOUT(running.isReady(), 10000);
        // Past every wait the operation could still have had in front of it.
        QTest::qWait(1200);
        QCOMPARE(test::await(std::move(running)), outcome);
        QCOMPARE(m_log.size(), lines);
        for (const QJsonObject &call : m_sim->calls()) {
            if (call.value(u"tool"_s) == QLatin1String("scrcpy"))
                QVERIFY(!stillRuns(call.value(u"pid"_s).toInteger()));
        }
        QCOMPARE(settingOf(*m_sim, u"system"_s, u"show_touches"_s), u"0"_s);
    }
};

QTEST_GUILESS_MAIN(TestSessionManager)
#include "tst_sessionmanager.moc"
