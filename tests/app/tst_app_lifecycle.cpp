// Quitting: sessions stopped with the phone's settings put back, the adb server stopped, one clean-up only,
// and an end within the quit fallback when stopping hangs. Real simulator processes in a temporary home.
#include "AppLifecycle.h"
#include "ApplicationVersion.h"
#include "Async.h"
#include "ModelTesting.h"
#include "ProfileStore.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <signal.h>

using namespace quorvane;
using namespace quorvane::app;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

class TestAppLifecycle : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ModelWorld> m_world;

    int killServerCalls() const
    {
        return static_cast<int>(m_world->sim.callArguments(u"adb"_s).count(QStringList{u"kill-server"_s}));
    }

    // The built application in this test's home, once it has asked adb for the devices.
    void startApplication(QProcess &application)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"HOME"_s, m_world->home.path());
        environment.insert(u"XDG_CONFIG_HOME"_s, m_world->home.path() + u"/.config"_s);
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        // An instrumented build would fail the exit over the frames of the device poll that the quit cut
        // short: memory the process hands back as it ends anyway.
        environment.insert(u"ASAN_OPTIONS"_s, u"detect_leaks=0"_s);
        application.setProcessEnvironment(environment);
        application.start(qEnvironmentVariable("QUORVANE_BIN_DIR") + u"/quorvane"_s, {});
        QVERIFY(application.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(m_world->deviceListings() > 0, 10000);
    }

private slots:
    // Answers that need no window: they must come even where no display exists, instead of Qt's abort.
    void commandLineWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("error");
        QTest::newRow("no display") << QStringList() << 1 << QString()
                                    << "Quorvane needs a graphical session (no DISPLAY or WAYLAND_DISPLAY is "
                                       "set).\n";
        QTest::newRow("version") << QStringList{u"--version"_s} << 0
                                 << u"quorvane %1\n"_s.arg(QLatin1String(applicationVersion)) << QString();
        QTest::newRow("help")
            << QStringList{u"--help"_s} << 0
            << "Usage: quorvane [options]\n"
               "Mirror and control an Android phone from this computer with scrcpy and adb.\n"
               "\n"
               "Options:\n"
               "  -h, --help     Show this help and exit.\n"
               "  -v, --version  Show the version and exit.\n"
               "\n"
               "Qt's own options, such as -platform offscreen, are passed on to Qt.\n"
               "quorvanectl offers the same functions in a terminal.\n"
            << QString();
    }

    void commandLineWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, error);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
            environment.remove(name);
        environment.insert(u"HOME"_s, m_world->home.path());
        QProcess application;
        application.setProcessEnvironment(environment);
        application.start(qEnvironmentVariable("QUORVANE_BIN_DIR") + u"/quorvane"_s, arguments);
        QVERIFY(application.waitForFinished(20000));
        QCOMPARE(application.exitStatus(), QProcess::NormalExit);
        QCOMPARE(QString::fromUtf8(application.readAllStandardError()), error);
        QCOMPARE(QString::fromUtf8(application.readAllStandardOutput()), output);
        QCOMPARE(application.exitCode(), exitCode);
        QVERIFY(m_world->sim.calls().isEmpty());
    }

    void init()
    {
        m_world = std::make_unique<ModelWorld>();
        m_world->sim.installAsBundle();
    }
    void cleanup()
    {
        // A failed check must not leave its orphans running for the rest of the suite.
        for (const qint64 pid : m_world->sim.runningProcesses())
            ::kill(static_cast<pid_t>(pid), SIGKILL);
        m_world.reset();
    }

    void quitStopsSessionsAndRestoresThePhone()
    {
        const QString serial = u"R5CT1234"_s;
        m_world->sim.addPhone(serial).setting(u"system"_s, u"show_touches"_s, u"0"_s);
        AppModel &model = m_world->model();
        // Long enough for an instrumented build to stop the session: this is the path without the fallback.
        Timing timing = modelTiming();
        timing.quitFallback = milliseconds{3000};
        AppLifecycle lifecycle(timing);
        connect(&model, &AppModel::started, &lifecycle, [&] { lifecycle.configure(&model); });
        model.setOnboardingCompleted(true);
        model.start();
        await(model.refreshDevices());
        await(model.launchCurrentMode());
        QVERIFY(model.sessionActive());
        LaunchConfig touches = *model.appliedConfig();
        touches.showTouches = true;
        await(model.applyLive(u"showTouches"_s, touches));
        QCOMPARE(m_world->phoneSetting(u"system"_s, u"show_touches"_s), u"1"_s);

        QSignalSpy ready(&lifecycle, &AppLifecycle::readyToQuit);
        lifecycle.requestQuit();
        lifecycle.requestQuit();
        QVERIFY(ready.wait(2900));
        QCOMPARE(m_world->phoneSetting(u"system"_s, u"show_touches"_s), u"0"_s);
        QVERIFY(!model.sessionManager().status().active);
        QVERIFY(!m_world->platform.activated.isEmpty());
        for (const qint64 pid : std::as_const(m_world->platform.activated))
            QTRY_VERIFY(::kill(static_cast<pid_t>(pid), 0) != 0);
        QCOMPARE(killServerCalls(), 1);
        QTest::qWait(static_cast<int>(timing.quitFallback.count()) + 50);
        QCOMPARE(ready.size(), 1);
        // The stop was the application's own: the model must not take it for a dropped phone and reconnect.
        QCOMPARE(m_world->scrcpySessions().size(), 1);
    }

    // The executable itself: a termination signal (here a logout's SIGTERM) quits the clean way. Which
    // signals count is the shared handler's, checked signal by signal through quorvanectl.
    void theApplicationQuitsCleanlyOnATerminationSignal()
    {
        m_world->sim.addPhone(u"R5CT1234"_s);
        QProcess application;
        startApplication(application);
        ::kill(static_cast<pid_t>(application.processId()), SIGTERM);
        QVERIFY(application.waitForFinished(6000));
        QCOMPARE(application.exitStatus(), QProcess::NormalExit);
        QCOMPARE(application.exitCode(), 0);
        QCOMPARE(killServerCalls(), 1);
    }

    // Killed outright, the application cannot end its children: the system must, here an adb that hangs.
    void noChildOutlivesAKilledApplication()
    {
        m_world->sim.addPhone(u"R5CT1234"_s);
        m_world->sim.addFault(
            QJsonObject{{u"tool"_s, u"adb"_s}, {u"args"_s, QJsonArray{u"devices"_s}}, {u"delayMs"_s, 60000}});
        QProcess application;
        startApplication(application);
        QVERIFY(!m_world->sim.runningProcesses().isEmpty());
        application.kill();
        QVERIFY(application.waitForFinished(5000));
        QTRY_VERIFY_WITH_TIMEOUT(m_world->sim.runningProcesses().isEmpty(), 5000);
    }

    // Quitting while a session starts ends that launch: no window opens behind the quit, nothing is learned.
    void quitWhileASessionStartsEndsTheLaunch()
    {
        const QString serial = u"R5CT1234"_s;
        m_world->sim.addPhone(serial);
        Timing timing = modelTiming();
        timing.launchWatchInterval = milliseconds{1000};
        timing.quitFallback = milliseconds{3000};
        AppModel &model = m_world->makeModel(timing);
        AppLifecycle lifecycle(timing);
        lifecycle.configure(&model);
        await(model.refreshDevices());
        QCoro::Task<void> launching = model.launchCurrentMode();
        QTRY_COMPARE(m_world->scrcpySessions().size(), 1);
        QSignalSpy ready(&lifecycle, &AppLifecycle::readyToQuit);
        lifecycle.requestQuit();
        QVERIFY(ready.wait(2900));
        await(std::move(launching));
        QCOMPARE(m_world->scrcpySessions().size(), 1);
        QVERIFY(!model.sessionManager().isRunning());
        QVERIFY(!ProfileStore().load(serial, u"mirror"_s));
        QTRY_VERIFY(m_world->sim.runningProcesses().isEmpty());
    }

    // Even a quit before the model exists stops the adb server; a server that answers kill-server only after
    // a long while must not hold the application.
    void aHangingCleanUpEndsAtTheFallback()
    {
        m_world->sim.addFault(QJsonObject{
            {u"tool"_s, u"adb"_s}, {u"args"_s, QJsonArray{u"kill-server"_s}}, {u"delayMs"_s, 20000}});
        Timing timing = modelTiming();
        timing.quitFallback = milliseconds{400};
        AppLifecycle lifecycle(timing);
        QSignalSpy ready(&lifecycle, &AppLifecycle::readyToQuit);
        QElapsedTimer clock;
        clock.start();
        lifecycle.requestQuit();
        QVERIFY(lifecycle.isTerminating());
        QVERIFY(ready.wait(3000));
        QVERIFY2(clock.elapsed() >= 380 && clock.elapsed() < 1500,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(killServerCalls(), 1);
        for (QProcess *process : childProcessOwner()->findChildren<QProcess *>())
            process->kill();
    }
};

QTEST_MAIN(TestAppLifecycle)
#include "tst_app_lifecycle.moc"
