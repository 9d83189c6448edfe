#include "DevSim.h"
#include "LaunchConfig.h"
#include "Quorvanectl.h"
#include "TestHome.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace quorvane;

namespace {

const QString serial = QStringLiteral("PIXEL8");

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

    QString writeConfig(const QString &codec)
    {
        LaunchConfig config = LaunchConfig::defaultRecord();
        config.serial = serial;
        config.codec = codec;
        config.maxSize = 1920;
        const QString path = m_home->file(QStringLiteral("config.json"));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(QJsonDocument(config.toJson()).toJson());
        return path;
    }

    QString learnedProfilesPath() const
    {
        return m_home->path() + QStringLiteral("/.local/share/Quorvane/learned-profiles.json");
    }

    // With ownGroup, quorvanectl leads a process group of its own, so a signal can reach it and its
    // children together, as a terminal's Ctrl+C does.
    void startMirror(const QStringList &extra, bool ownGroup = false)
    {
        m_ctl = std::make_unique<QProcess>();
        if (ownGroup)
            m_ctl->setChildProcessModifier([] { ::setpgid(0, 0); });
        m_ctl->setProcessChannelMode(QProcess::MergedChannels);
        connect(m_ctl.get(), &QProcess::readyRead, this,
                [this] { m_output += QString::fromUtf8(m_ctl->readAll()); });
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
        m_sim->addPhone(serial);
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

    void recoversThenStopsCleanlyOnTermination()
    {
        m_sim->addLaunchRule({QStringLiteral("--video-codec=h265")}, 1);
        startMirror({QStringLiteral("--config"), writeConfig(QStringLiteral("h265"))});
        QTRY_VERIFY_WITH_TIMEOUT(
            m_output.contains(QStringLiteral("Session recovered on attempt 2 of 3. This working "
                                             "profile is now remembered for this device.\n")),
            15000);
        QVERIFY(!m_sim->runningProcesses().isEmpty());

        ::kill(static_cast<pid_t>(m_ctl->processId()), SIGTERM);
        QVERIFY(m_ctl->waitForFinished(10000));
        QCOMPARE(m_ctl->exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_ctl->exitCode(), 0);
        // Nothing was changed live, so nothing is said to be restored.
        QVERIFY2(m_output.contains(QStringLiteral("Session stopped for PIXEL8.\n")), qPrintable(m_output));
        QTRY_VERIFY(m_sim->runningProcesses().isEmpty());

        QFile learned(learnedProfilesPath());
        QVERIFY(learned.open(QIODevice::ReadOnly));
        QVERIFY(learned.readAll().contains("\"codec\": \"h264\""));
    }

    void signalWhileStartingEndsTheLaunch_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("Ctrl+C") << SIGINT << 130;
        QTest::newRow("SIGTERM") << SIGTERM << 143;
        QTest::newRow("terminal closed") << SIGHUP << 129;
    }

    // The signal reaches scrcpy too, as from a terminal: its end must not pass for a failed attempt that
    // opens the next, weaker one and remembers it.
    void signalWhileStartingEndsTheLaunch()
    {
        QFETCH(int, signal);
        QFETCH(int, exitCode);
        startMirror({QStringLiteral("--config"), writeConfig(QStringLiteral("h264"))}, true);
        QTRY_VERIFY_WITH_TIMEOUT(!m_sim->callArguments(QStringLiteral("scrcpy")).isEmpty(), 10000);
        ::kill(-static_cast<pid_t>(m_ctl->processId()), signal);
        QVERIFY(m_ctl->waitForFinished(10000));
        QCOMPARE(m_ctl->exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_ctl->exitCode(), exitCode);
        QVERIFY2(m_output.contains(
                     QStringLiteral("Launch cancelled: the session was stopped while it was starting.\n")),
                 qPrintable(m_output));
        QCOMPARE(m_sim->callArguments(QStringLiteral("scrcpy")).size(), 1);
        QVERIFY(!QFile::exists(learnedProfilesPath()));
        QTRY_VERIFY(m_sim->runningProcesses().isEmpty());
    }

    void noSimulatorProcessOutlivesAKilledQuorvanectl_data()
    {
        QTest::addColumn<bool>("duringTheSession");
        QTest::newRow("a session running") << true;
        QTest::newRow("an adb call running") << false;
    }

    // SIGKILL leaves no chance to clean up: the children must end without us.
    void noSimulatorProcessOutlivesAKilledQuorvanectl()
    {
        QFETCH(bool, duringTheSession);
        if (!duringTheSession)
            m_sim->addFault(QJsonObject{{QStringLiteral("tool"), QStringLiteral("adb")},
                                        {QStringLiteral("args"), QJsonArray{QStringLiteral("devices")}},
                                        {QStringLiteral("delayMs"), 60000}});
        startMirror({QStringLiteral("--config"), writeConfig(QStringLiteral("h264"))});
        if (duringTheSession)
            QTRY_VERIFY_WITH_TIMEOUT(m_output.contains(QStringLiteral("Session started")), 15000);
        else
            QTRY_VERIFY_WITH_TIMEOUT(!m_sim->callArguments(QStringLiteral("adb")).isEmpty(), 10000);
        QVERIFY(!m_sim->runningProcesses().isEmpty());
        m_ctl->kill();
        QVERIFY(m_ctl->waitForFinished(5000));
        QTRY_VERIFY_WITH_TIMEOUT(m_sim->runningProcesses().isEmpty(), 5000);
    }

    void sessionEndingOnItsOwnExitsOne()
    {
        QJsonObject rule{{QStringLiteral("whenArgs"), QJsonArray{QStringLiteral("--max-size=1920")}},
                         {QStringLiteral("afterMs"), 1500}};
        m_sim->addLaunchRule(rule);
        startMirror({QStringLiteral("--config"), writeConfig(QStringLiteral("h264"))});
        QVERIFY(m_ctl->waitForFinished(15000));
        QCOMPARE(m_ctl->exitCode(), 1);
        QVERIFY2(m_output.contains(QStringLiteral("Session started with the selected smart profile.\n")),
                 qPrintable(m_output));
        QVERIFY(m_output.contains(QStringLiteral("The session ended on its own.\n")));
    }

    void failureTextAndExitOne()
    {
        m_sim->phone(m_sim->readWorld().value(QStringLiteral("phones")).toObject().keys().first())
            .state(QStringLiteral("unauthorized"));
        const auto result =
            test::runQuorvanectl({QStringLiteral("mirror"), serial, QStringLiteral("--config"),
                                  writeConfig(QStringLiteral("h264")), QStringLiteral("--adb"),
                                  m_sim->adbPath(), QStringLiteral("--scrcpy"), m_sim->scrcpyPath()});
        QCOMPARE(result.statusCode, 1);
        QCOMPARE(result.stderr_,
                 QStringLiteral(
                     "Device is 'unauthorized', not ready. Run Connection Doctor for the next step.\n"));
    }

    void screenshotPrintsThePath()
    {
        const auto result = test::runQuorvanectl(
            {QStringLiteral("screenshot"), serial, QStringLiteral("--adb"), m_sim->adbPath()});
        QCOMPARE(result.statusCode, 0);
        const QString path = result.stdout_.trimmed();
        QVERIFY2(path.endsWith(QStringLiteral(".png")), qPrintable(result.stderr_));
        QVERIFY2(QFileInfo(path).fileName().startsWith(QStringLiteral("Quorvane-")), qPrintable(path));
        QFile png(path);
        QVERIFY(png.open(QIODevice::ReadOnly));
        QVERIFY(png.readAll().startsWith("\x89PNG\r\n\x1a\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliSession)
#include "tst_cli_session.moc"
