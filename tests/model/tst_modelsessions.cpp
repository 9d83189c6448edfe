#include "ModelTesting.h"
#include "ProfileStore.h"
#include "WirelessStoreFile.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

using namespace quorvane;
using namespace quorvane::app;
using namespace Qt::StringLiterals;
using test::await;
using test::ModelWorld;
using test::Recorder;

namespace {

const QString serial = u"PIXEL8"_s;
const QString started = u"Session started with the selected smart profile."_s;
// Said only when a stop put back settings the user had changed live.
const QString stopped = u"Session stopped."_s;
const QString stoppedAndRestored = u"Session stopped; Android settings restored."_s;
const QString reconnectFailed = u"Reconnect failed after 5 attempts."_s;

std::optional<QString> text(const char *value)
{
    return QString::fromUtf8(value);
}

// Waits long enough that a test can act during a chosen one; a cancellation cuts any of them short.
Timing slowReconnect(std::vector<milliseconds> waits)
{
    Timing timing = test::modelTiming();
    timing.reconnectWaits = std::move(waits);
    return timing;
}

} // namespace

// Launching, the session pulse, reconnecting, stopping, live settings and the restart rule, with real
// simulated scrcpy sessions.
class TestModelSessions final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ModelWorld> m_world;

    AppModel &model() { return m_world->model(); }

    void connectPhone() { m_world->connectPhone(serial); }

    // The monitor running, as in the application, with onboarding out of the way.
    void startMonitoredSession()
    {
        connectPhone();
        model().setOnboardingCompleted(true);
        model().start();
        await(model().launchCurrentMode());
        QCOMPARE(model().launchMessage(), started);
        QVERIFY(model().sessionActive());
    }

    int sessionLaunches() const { return static_cast<int>(m_world->scrcpySessions().size()); }

private slots:
    void init() { m_world = std::make_unique<ModelWorld>(); }
    void cleanup() { m_world.reset(); }

    void launchPublishesItsResult()
    {
        connectPhone();
        Recorder<std::optional<QString>> messages(&model(), &AppModel::launchMessageChanged,
                                                  [this] { return model().launchMessage(); });
        Recorder<bool> launching(&model(), &AppModel::launchingChanged,
                                 [this] { return model().launching(); });
        await(model().launchCurrentMode());
        QCOMPARE(messages.values,
                 (QList<std::optional<QString>>{text("Starting a smart session…"), started}));
        QCOMPARE(launching.values, (QList<bool>{true, false}));
        QVERIFY(!model().launchFailed());
        QCOMPARE(model().appliedConfig(), model().currentConfig());
        QVERIFY(model().lastCommandPreview().value_or(QString()).endsWith(u"--shortcut-mod=lctrl,lalt"_s));
        QCOMPARE(m_world->platform.activated.size(), 1);
    }

    void saferProfileIsReported()
    {
        connectPhone();
        m_world->sim.addLaunchRule({u"--max-size=1920"_s}, 1);
        await(model().launchCurrentMode());
        QVERIFY(model().logLines().contains(u"Recovered with a safer profile on attempt 2."_s));
        QCOMPARE(model().launchMessage(), text("Session recovered on attempt 2 of 3. This working profile is "
                                               "now remembered for this device."));
        QCOMPARE(model().appliedConfig().value_or(LaunchConfig{}).maxSize, 1280u);
    }

    void failedLaunchIsExplained_data()
    {
        QTest::addColumn<int>("afterMs");
        QTest::addColumn<QString>("told");
        QTest::newRow("every attempt dies at once")
            << 0
            << "\nscrcpy exited immediately after 3 smart attempts. "
               "Open Connection Doctor and verify the device/runtime.\n";
        // The monitor notices the end nobody asked for; the message row says why before a reconnect starts.
        QTest::newRow("the session dies later") << 2500 << u"\n"_s;
    }

    // The message row explains the line scrcpy died with, and the Doctor lists it among this run's findings.
    void failedLaunchIsExplained()
    {
        QFETCH(int, afterMs);
        QFETCH(QString, told);
        connectPhone();
        const QString line = u"ERROR: Could not initialize SDL video: x11 not available"_s;
        QJsonObject rule{{u"whenArgs"_s, QJsonArray()}, {u"exitCode"_s, 1}, {u"message"_s, line}};
        if (afterMs) {
            rule.insert(u"afterMs"_s, afterMs);
            model().setOnboardingCompleted(true);
            model().start();
        }
        m_world->sim.addLaunchRule(rule);
        Recorder<std::optional<QString>> messages(&model(), &AppModel::launchMessageChanged,
                                                  [this] { return model().launchMessage(); });
        await(model().launchCurrentMode());
        const QString cause = u"There is no usable display for the mirror window (no X11 or Wayland "
                              "session, or a driver problem)."_s;
        const QString fix = u"Run Quorvane inside a graphical session; on Wayland try SDL_VIDEODRIVER=x11."_s;
        const std::optional<QString> explained(u"No display for the mirror window: "_s + cause + u' ' + fix +
                                               told + line);
        QTRY_VERIFY_WITH_TIMEOUT(messages.values.contains(explained), 10000);
        QVERIFY(afterMs || model().launchFailed());
        await(model().runDoctor());
        QCOMPARE(model().doctorFindings().last(),
                 (DoctorFinding{DoctorFinding::Level::Error, u"No display for the mirror window"_s,
                                cause + u" Seen this run: "_s + line, fix}));
    }

    void launchWithoutAPhoneIsRefused()
    {
        await(model().launchCurrentMode());
        QCOMPARE(model().launchMessage(), u"Select an authorized device first."_s);
        QVERIFY(model().launchFailed());
        QVERIFY(!model().launching());
        QVERIFY(!model().sessionActive());
        QCOMPARE(sessionLaunches(), 0);
    }

    void oneLaunchAtATime()
    {
        connectPhone();
        QCoro::Task<void> first = model().launchCurrentMode();
        QVERIFY(model().launching());
        await(model().launchCurrentMode());
        QVERIFY(!await(model().launch(*model().currentConfig())));
        QVERIFY(model().launching());
        QCOMPARE(model().logLines().count(u"A launch is already in progress; this request was ignored."_s),
                 2);
        await(std::move(first));
        QVERIFY(!model().launching());
        QCOMPARE(model().launchMessage(), started);
        QCOMPARE(sessionLaunches(), 1);
    }

    void stopWhileStartingEndsTheLaunch_data()
    {
        QTest::addColumn<bool>("duringTheWatch");
        QTest::newRow("before the first attempt") << false;
        QTest::newRow("while the first attempt is watched") << true;
    }

    // Nothing of the launch outlives the stop: no window, no further attempt, nothing remembered.
    void stopWhileStartingEndsTheLaunch()
    {
        QFETCH(bool, duringTheWatch);
        Timing timing = test::modelTiming();
        timing.launchWatchInterval = milliseconds{1000};
        m_world->makeModel(timing);
        connectPhone();
        QCoro::Task<void> launching = model().launchCurrentMode();
        if (duringTheWatch)
            QTRY_COMPARE(sessionLaunches(), 1);
        QElapsedTimer clock;
        clock.start();
        await(model().stopSession());
        QCOMPARE(model().launchMessage(), stopped);
        await(std::move(launching));
        QVERIFY2(clock.elapsed() < 3000, "the launch went on watching after the stop");
        QCOMPARE(sessionLaunches(), duringTheWatch ? 1 : 0);
        QVERIFY(!ProfileStore().load(serial, u"mirror"_s));
        QVERIFY(!model().launchFailed());
        QVERIFY(!model().sessionActive());
        QVERIFY(model().activeSessionSerials().isEmpty());
        QVERIFY(!model().sessionManager().isRunning());
        QVERIFY(!model().reconnecting());
    }

    void stopEndsTheShownSessionWhenAnotherPhoneIsPicked()
    {
        connectPhone();
        m_world->sim.addPhone(u"PIXEL7"_s);
        await(model().launchCurrentMode());
        await(model().refreshDevices());
        model().setSelectedSerial(u"PIXEL7"_s);
        await(model().stopSession());
        QCOMPARE(model().launchMessage(), stopped);
        QVERIFY(!model().sessionActive());
        QVERIFY(!model().sessionManager().isRunning());
        QCOMPARE(model().selectedSerial(), u"PIXEL7"_s);
    }

    // The file is told of once its session is gone; a session the user stopped is not news.
    void finishedRecordingIsTold()
    {
        connectPhone();
        model().mirrorState()->setRecord(true);
        await(model().launchCurrentMode());
        QVERIFY(m_world->notifier.told.isEmpty());
        await(model().stopSession());
        QCOMPARE(m_world->notifier.told.size(), 1);
        const QStringList told = m_world->notifier.told.first();
        QCOMPARE(told.first(), u"Recording saved"_s);
        QVERIFY2(told.last().startsWith(u"Recording saved to "_s + m_world->home.path()) &&
                     told.last().endsWith(u".mp4."_s),
                 qPrintable(told.last()));
    }

    // Switching wireless debugging off and on gives the phone a new port: the session that ended with it
    // comes back at the new address by itself, as the same phone, with the settings learned for it.
    void wifiPhoneWhosePortChangedReconnectsByItself_data()
    {
        QTest::addColumn<bool>("oldTransportStays");
        QTest::addColumn<bool>("userPicksAnotherPhone");
        QTest::newRow("old transport gone") << false << false;
        // adb may keep the dropped connection listed as offline, with the selection still on it.
        QTest::newRow("old transport offline") << true << false;
        // A phone the user picked while the reconnect waited keeps the selection.
        QTest::newRow("another phone picked meanwhile") << false << true;
    }

    void wifiPhoneWhosePortChangedReconnectsByItself()
    {
        QFETCH(bool, oldTransportStays);
        QFETCH(bool, userPicksAnotherPhone);
        if (userPicksAnotherPhone)
            m_world->makeModel(slowReconnect({milliseconds{1500}, milliseconds{50}, milliseconds{50},
                                              milliseconds{50}, milliseconds{50}}));
        m_world->sim.setAdbVersion(u"35.0.2"_s);
        test::DevSim::Phone phone = m_world->sim.addPhone(serial);
        m_world->sim.updateWorld([](QJsonObject &world) { world.insert(u"transports"_s, QJsonArray{}); });
        const QString oldAddress = u"192.168.1.20:%1"_s.arg(phone.setWirelessDebugging(true));
        await(model().connectWireless(oldAddress));
        QCOMPARE(model().selectedSerial(), oldAddress);
        model().setOnboardingCompleted(true);
        model().start();
        await(model().recommend(u"mirror"_s));
        QVERIFY(model().mirrorRecommendation().value_or(Recommendation{}).maxSize != 1024);
        model().mirrorState()->setMaxSize(1024);
        await(model().launchCurrentMode());
        QCOMPARE(model().launchMessage(), started);

        const QString newAddress = u"192.168.1.20:%1"_s.arg(phone.setWirelessDebugging(true));
        if (oldTransportStays)
            m_world->sim.addTransport(oldAddress, u"offline"_s);
        m_world->endNewestSession();
        QTRY_VERIFY(model().reconnecting());
        if (userPicksAnotherPhone) {
            m_world->sim.addPhone(u"B2"_s);
            await(model().refreshDevices());
            model().setSelectedSerial(u"B2"_s);
            QTRY_VERIFY(!model().reconnecting());
            QCOMPARE(model().selectedSerial(), std::optional(u"B2"_s));
            QVERIFY(model().activeSessionSerials().isEmpty());
            return;
        }
        QTRY_VERIFY(!model().reconnecting());
        QCOMPARE(model().launchMessage(), started);
        QCOMPARE(model().activeSessionSerials(), QSet<QString>{newAddress});
        QCOMPARE(model().selectedSerial(), newAddress);
        QVERIFY(m_world->scrcpySessions().last().contains(u"--max-size=1024"_s));
        QCOMPARE(model().phones().size(), 1);
        QCOMPARE(WirelessStoreFile::read().devices.size(), 1);
        // The user's choice belongs to the phone, not to the address it had.
        QTRY_COMPARE(model().mirrorState()->maxSize(), 1024u);
        // What was learned at the old address is the phone's: the screen's recommendation brings it back.
        await(model().recommend(u"mirror"_s));
        QCOMPARE(model().mirrorRecommendation().value_or(Recommendation{}).maxSize, 1024u);
    }

    void reconnectScheduleAndGivingUp()
    {
        startMonitoredSession();
        QElapsedTimer clock;
        QList<std::pair<int, qint64>> attempts;
        const QObject scope; // the recording ends with this function
        connect(&model(), &AppModel::reconnectAttemptChanged, &scope, [&] {
            attempts.append({model().reconnectAttempt(), clock.elapsed()});
        });
        m_world->sim.addLaunchRule(QStringList{}, 1);
        clock.start();
        m_world->endNewestSession();
        QTRY_VERIFY_WITH_TIMEOUT(!model().reconnecting() && model().launchMessage() == reconnectFailed,
                                 20000);
        QVERIFY(model().launchFailed());
        QCOMPARE(attempts.size(), 6);
        const std::vector<milliseconds> &waits = test::modelTiming().reconnectWaits;
        for (int index = 0; index < 5; ++index) {
            QCOMPARE(attempts[index].first, index + 1);
            // Attempt k is announced, then its wait passes before anything else happens.
            QVERIFY(attempts[index + 1].second - attempts[index].second >= waits[index].count());
        }
        QCOMPARE(attempts.last().first, 0);
        QCOMPARE(model().logLines().filter(u"Attempt 1/"_s).size(), 6);
    }

    void phoneGoneEndsAfterTheFirstWait()
    {
        startMonitoredSession();
        Recorder<int> attempts(&model(), &AppModel::reconnectAttemptChanged,
                               [this] { return model().reconnectAttempt(); });
        m_world->unplug(serial);
        m_world->endNewestSession();
        // Not five failed attempts: the phone left, and that is what is said.
        QTRY_COMPARE(model().launchMessage(), u"Selected device is no longer connected."_s);
        QVERIFY(model().launchFailed());
        QCOMPARE(attempts.values, (QList<int>{1, 0}));
        QVERIFY(!model().reconnecting());
        QCOMPARE(sessionLaunches(), 1);
        QCOMPARE(m_world->notifier.told.last(),
                 (QStringList{u"Reconnect failed"_s, u"Selected device is no longer connected."_s}));
    }

    void interruptingAReconnectWait_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("attempt");
        QTest::addColumn<QString>("message");
        QTest::newRow("cancelled after a failed attempt") << u"cancel"_s << 2 << QString();
        QTest::newRow("stopped") << u"stop"_s << 1 << stopped;
        QTest::newRow("replaced by the user's launch") << u"launch"_s << 1 << started;
    }

    // The user's own action ends the reconnect for good: no further attempt, no failure to report, and no
    // news beyond the ended session's.
    void interruptingAReconnectWait()
    {
        QFETCH(QString, action);
        QFETCH(int, attempt);
        QFETCH(QString, message);
        const milliseconds first{attempt == 2 ? 50 : 60000};
        m_world->makeModel(slowReconnect(
            {first, milliseconds{60000}, milliseconds{60000}, milliseconds{60000}, milliseconds{60000}}));
        startMonitoredSession();
        if (attempt == 2)
            m_world->sim.addLaunchRule(QStringList{}, 1);
        m_world->endNewestSession();
        QTRY_COMPARE_WITH_TIMEOUT(model().reconnectAttempt(), attempt, 10000);
        const int launches = sessionLaunches();
        if (action == QLatin1String("cancel"))
            model().cancelReconnect();
        else if (action == QLatin1String("stop"))
            await(model().stopSession());
        else
            await(model().launchCurrentMode());
        QVERIFY(!model().reconnecting());
        QCOMPARE(model().reconnectAttempt(), 0);
        const int listings = m_world->deviceListings();
        QTRY_VERIFY(m_world->deviceListings() >= listings + 2);
        QCOMPARE(model().launchMessage().value_or(QString()), message);
        QVERIFY(!model().launchFailed());
        QCOMPARE(sessionLaunches(), launches + (action == QLatin1String("launch") ? 1 : 0));
        QCOMPARE(m_world->notifier.told.size(), 1);
    }

    void buttonTitles_data()
    {
        QTest::addColumn<SidebarMode>("mode");
        QTest::addColumn<bool>("record");
        QTest::addColumn<QString>("title");
        QTest::newRow("mirror") << SidebarMode::Mirror << false << u"Mirror Phone"_s;
        QTest::newRow("mirror recording") << SidebarMode::Mirror << true << u"Start & Record"_s;
        QTest::newRow("camera") << SidebarMode::Camera << false << u"Open Camera"_s;
        QTest::newRow("desktop") << SidebarMode::Desktop << false << u"Launch Desktop"_s;
        QTest::newRow("doctor") << SidebarMode::Doctor << true << u"Start Session"_s;
    }

    void buttonTitles()
    {
        QFETCH(SidebarMode, mode);
        QFETCH(bool, record);
        QFETCH(QString, title);
        QSignalSpy changed(&model(), &AppModel::launchButtonTitleChanged);
        model().setSelectedMode(mode);
        model().mirrorState()->setRecord(record);
        QCOMPARE(model().launchButtonTitle(), title);
        QCOMPARE(changed.count(), title == QLatin1String("Mirror Phone") ? 0 : 1);
    }

    void desktopTitleFollowsTheProbe()
    {
        connectPhone();
        model().setSelectedMode(SidebarMode::Desktop);
        QVERIFY(!model().desktopReady() && !model().canLaunch());
        QCoro::Task<void> probing = model().probeDesktop(serial);
        QCOMPARE(model().launchButtonTitle(), u"Checking Display Support…"_s);
        await(std::move(probing));
        QVERIFY(model().desktopCapabilities().has_value());
        QCOMPARE(model().launchButtonTitle(), model().desktopCapabilities()->launchLabel);
        QCOMPARE(model().desktopReady(), model().desktopCapabilities()->supported);
    }

    // Which fields need a restart is the restart rule's table; here the flag and the button follow it.
    void pendingRestart_data()
    {
        QTest::addColumn<SidebarMode>("mode");
        QTest::addColumn<std::function<void(AppModel &)>>("restartChange");
        QTest::addColumn<QString>("title");
        using Change = std::function<void(AppModel &)>;
        QTest::newRow("mirror") << SidebarMode::Mirror
                                << Change([](AppModel &m) { m.mirrorState()->setMaxFps(30); })
                                << u"Restart Mirror to Apply"_s;
        QTest::newRow("camera") << SidebarMode::Camera
                                << Change([](AppModel &m) { m.cameraState()->setMaxFps(15); })
                                << u"Restart Camera to Apply"_s;
    }

    void pendingRestart()
    {
        QFETCH(SidebarMode, mode);
        QFETCH(std::function<void(AppModel &)>, restartChange);
        QFETCH(QString, title);
        connectPhone();
        model().setSelectedMode(mode);
        const QString idle = model().launchButtonTitle();
        await(model().launchCurrentMode());
        QVERIFY(model().sessionActive());
        QVERIFY(!model().pendingRestart());
        restartChange(model());
        QVERIFY(model().pendingRestart());
        QCOMPARE(model().launchButtonTitle(), title);

        QCoro::Task<void> restarting = model().launchCurrentMode();
        QCOMPARE(model().launchButtonTitle(), u"Restarting…"_s);
        await(std::move(restarting));
        QVERIFY(model().sessionActive());
        QVERIFY(!model().pendingRestart());
        QCOMPARE(model().launchButtonTitle(), idle);
        QCOMPARE(sessionLaunches(), 2);
    }

    // A key the mirror window refused is the window test's; here nothing runs to take the change.
    void liveSettingWithoutASession()
    {
        connectPhone();
        LaunchConfig config = *model().currentConfig();
        config.turnScreenOff = true;
        await(model().applyLive(u"turnScreenOff"_s, config));
        QCOMPARE(model().launchMessage(), u"No active scrcpy session is running."_s);
        QVERIFY(model().launchFailed());
        QVERIFY(!model().applyingLiveSetting());
    }

    // On Wayland keys reach only an X11 window, so the model sends them only when the user has the
    // mirror windows started as X11 windows; every session then asks scrcpy for one.
    void waylandKeysNeedXWaylandWindows_data()
    {
        QTest::addColumn<bool>("xwayland");
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("native Wayland windows") << false << QString() << QStringList();
        QTest::newRow("through XWayland") << true << u"x11"_s << QStringList{u"f"_s};
    }

    void waylandKeysNeedXWaylandWindows()
    {
        QFETCH(bool, xwayland);
        QFETCH(QString, driver);
        QFETCH(QStringList, keys);
        m_world->platform.host = HostDesktop(HostDesktop::Kind::Wayland);
        model().setMirrorThroughXWayland(xwayland);
        connectPhone();
        await(model().launchCurrentMode());
        QCOMPARE(model().launchMessage(), started);
        const QList<QJsonObject> calls = m_world->sim.calls();
        const auto session = std::find_if(calls.crbegin(), calls.crend(), [](const QJsonObject &call) {
            return call.value(u"argv"_s).toArray().contains(u"--shortcut-mod=lctrl,lalt"_s);
        });
        QVERIFY(session != calls.crend());
        QCOMPARE(session->value(u"SDL_VIDEODRIVER"_s).toString(), driver);
        LaunchConfig config = *model().appliedConfig();
        config.fullscreen = true;
        await(model().applyLive(u"fullscreen"_s, config));
        QCOMPARE(m_world->platform.sentKeys, keys);
        // The sentence itself is the desktop's, checked with the platform.
        QCOMPARE(model().launchFailed(), keys.isEmpty());
        if (keys.isEmpty())
            QCOMPARE(model().launchMessage(), m_world->platform.host.shortcutsUnavailable());
    }

    // The user's whole path: Mirror starts, scrcpy dies and comes back, the user stops, and the phone is as
    // it was.
    void userJourney()
    {
        startMonitoredSession();
        QCOMPARE(m_world->phoneSetting(u"global"_s, u"stay_on_while_plugged_in"_s), u"7"_s);
        LaunchConfig touches = *model().appliedConfig();
        touches.showTouches = true;
        await(model().applyLive(u"showTouches"_s, touches));
        QCOMPARE(m_world->phoneSetting(u"system"_s, u"show_touches"_s), u"1"_s);

        Recorder<int> attempts(&model(), &AppModel::reconnectAttemptChanged,
                               [this] { return model().reconnectAttempt(); });
        m_world->endNewestSession();
        QTRY_VERIFY(model().reconnecting());
        // The ended session's "started" is not left standing while it is being brought back.
        QCOMPARE(model().launchMessage(), std::nullopt);
        QTRY_VERIFY(!model().reconnecting() && model().sessionActive());
        QCOMPARE(attempts.values, (QList<int>{1, 0}));
        QCOMPARE(model().launchMessage(), started);
        QVERIFY(!model().launchFailed());
        QCOMPARE(sessionLaunches(), 2);
        QCOMPARE(m_world->scrcpySessions().last(), m_world->scrcpySessions().first());
        QCOMPARE(m_world->notifier.told,
                 (QList<QStringList>{
                     {u"Session ended"_s, u"The session on "_s + model().selectedDevice()->displayName() +
                                              u" ended on its own; Quorvane is reconnecting."_s}}));
        // The ended session's live change was put back when it was found gone.
        QTRY_COMPARE(m_world->phoneSetting(u"system"_s, u"show_touches"_s), u"0"_s);
        await(model().applyLive(u"showTouches"_s, touches));
        QCOMPARE(m_world->phoneSetting(u"system"_s, u"show_touches"_s), u"1"_s);

        // A session the user stopped stays stopped.
        QSignalSpy reconnecting(&model(), &AppModel::reconnectingChanged);
        await(model().stopSession());
        QCOMPARE(model().launchMessage(), stoppedAndRestored);
        QVERIFY(!model().launchFailed());
        QVERIFY(!model().sessionActive());
        QCOMPARE(m_world->phoneSetting(u"system"_s, u"show_touches"_s), u"0"_s);
        QCOMPARE(m_world->phoneSetting(u"global"_s, u"stay_on_while_plugged_in"_s), u"0"_s);
        const int listings = m_world->deviceListings();
        QTRY_VERIFY(m_world->deviceListings() >= listings + 2);
        QVERIFY(reconnecting.isEmpty());
        QCOMPARE(sessionLaunches(), 2);
    }
};

QTEST_GUILESS_MAIN(TestModelSessions)
#include "tst_modelsessions.moc"
