#include "ModelTesting.h"

#include "ADBService.h"
#include "Errors.h"
#include "FailureText.h"
#include "SettingsJournal.h"

#include <QSettings>
#include <QTest>

#include <stdexcept>

using namespace quorvane;
using namespace quorvane::app;
using test::await;
using test::ModelWorld;

namespace {

using Transports = QList<std::pair<QString, QString>>;
const QString none = QStringLiteral("<none>");

QString selection(const AppModel &model)
{
    return model.selectedSerial().value_or(none);
}

} // namespace

Q_DECLARE_METATYPE(Transports)

// Start-up, the monitor, device selection and inspection, the session pulse's quiet ticks, the log, the
// user defaults and onboarding, against the simulated adb.
class TestModelMonitor final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ModelWorld> m_world;

    AppModel &model() { return m_world->model(); }
    void refresh() { await(model().refreshDevices()); }

private slots:
    void init() { m_world = std::make_unique<ModelWorld>(); }
    void cleanup() { m_world.reset(); }

    void selectionRules_data()
    {
        QTest::addColumn<Transports>("transports");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("expected");
        const QString a = QStringLiteral("A1");
        const QString b = QStringLiteral("B2");
        const QString device = QStringLiteral("device");
        const QString unauthorized = QStringLiteral("unauthorized");
        QTest::newRow("nothing connected") << Transports{} << none << none;
        QTest::newRow("only an unauthorized phone") << Transports{{a, unauthorized}} << none << a;
        QTest::newRow("first authorized wins") << Transports{{a, unauthorized}, {b, device}} << none << b;
        QTest::newRow("selection gone: first entry whatever its state")
            << Transports{{a, unauthorized}, {b, device}} << QStringLiteral("GONE") << a;
        QTest::newRow("selection still listed is kept") << Transports{{a, device}, {b, device}} << b << b;
    }

    void selectionRules()
    {
        QFETCH(Transports, transports);
        QFETCH(QString, selected);
        QFETCH(QString, expected);
        for (const auto &[serial, state] : transports)
            m_world->sim.addTransport(serial, state);
        if (selected != none)
            model().setSelectedSerial(selected);
        refresh();
        QCOMPARE(selection(model()), expected);
        QVERIFY(!model().canLaunch());
        if (expected == none)
            QCOMPARE(model().deviceProfile(), std::nullopt);
    }

    void disappearingDevices()
    {
        m_world->sim.addPhone(QStringLiteral("A1"));
        m_world->sim.addTransport(QStringLiteral("B2"), QStringLiteral("unauthorized"));
        refresh();
        QCOMPARE(selection(model()), QStringLiteral("A1"));
        m_world->unplug(QStringLiteral("A1"));
        refresh();
        QCOMPARE(selection(model()), QStringLiteral("B2"));
        m_world->unplug(QStringLiteral("B2"));
        refresh();
        QCOMPARE(selection(model()), none);
        QTRY_COMPARE(model().deviceProfile(), std::nullopt);
        QVERIFY(model().devices().isEmpty());
    }

    // Settings a crashed run left changed go back once the phone is ready, and the user hears of it once.
    void leftoverSettingsArePutBackWhenThePhoneIsReady()
    {
        m_world->sim.addPhone(QStringLiteral("A1"))
            .setting(QStringLiteral("system"), QStringLiteral("show_touches"), QStringLiteral("1"))
            .setting(QStringLiteral("global"), QStringLiteral("stay_on_while_plugged_in"),
                     QStringLiteral("7"))
            .state(QStringLiteral("unauthorized"));
        const SettingsJournal journal;
        journal.record(QStringLiteral("A1"), QStringLiteral("system"), QStringLiteral("show_touches"),
                       SettingBackup{QStringLiteral("0")});
        journal.record(QStringLiteral("A1"), QStringLiteral("global"),
                       QStringLiteral("stay_on_while_plugged_in"), SettingBackup::missing());
        refresh();
        QCOMPARE(journal.entries().size(), 2);

        m_world->setTransportState(QStringLiteral("A1"), QStringLiteral("device"));
        refresh();
        const QString message = QStringLiteral("Put back show touches and stay awake on A1, which Quorvane "
                                               "had changed before it was interrupted.");
        QTRY_COMPARE(model().launchMessage(), std::optional(message));
        QVERIFY(!model().launchFailed());
        QCOMPARE(m_world->phoneSetting(QStringLiteral("system"), QStringLiteral("show_touches")),
                 QStringLiteral("0"));
        QCOMPARE(m_world->phoneSetting(QStringLiteral("global"), QStringLiteral("stay_on_while_plugged_in")),
                 QStringLiteral("<unset>"));
        QVERIFY(journal.entries().isEmpty());
        // Met again: nothing is left to put back or to tell.
        m_world->setTransportState(QStringLiteral("A1"), QStringLiteral("offline"));
        refresh();
        m_world->setTransportState(QStringLiteral("A1"), QStringLiteral("device"));
        refresh();
        QCOMPARE(model().logLines().count(message), 1);
    }

    void identicalListLeavesTheSelectionAlone()
    {
        m_world->sim.addPhone(QStringLiteral("A1"));
        refresh();
        model().setSelectedSerial(std::nullopt);
        QSignalSpy selected(&model(), &AppModel::selectedSerialChanged);
        QSignalSpy devices(&model(), &AppModel::devicesChanged);
        refresh();
        QCOMPARE(selection(model()), none);
        QCOMPARE(selected.count(), 0);
        QCOMPARE(devices.count(), 0);
    }

    void inspectionFollowsTheSelectionAndClearsStaleProbes()
    {
        m_world->sim.addPhone(QStringLiteral("A1"));
        m_world->sim.addPhone(QStringLiteral("B2")).model(QStringLiteral("Pixel 7"));
        refresh();
        QTRY_VERIFY(model().deviceProfile().has_value());
        QCOMPARE(model().deviceProfile()->serial, QStringLiteral("A1"));
        await(model().recommend(QStringLiteral("mirror")));
        await(model().probeDesktop(QStringLiteral("A1")));
        await(model().probeCameras(QStringLiteral("A1")));
        QVERIFY2(model().mirrorRecommendation() && model().desktopCapabilities() &&
                     model().cameraCapabilities(),
                 qPrintable(model().logLines().join(QLatin1Char('\n'))));

        model().setSelectedSerial(QStringLiteral("B2"));
        QTRY_COMPARE(model().deviceProfile().value_or(DeviceProfile{}).model, QStringLiteral("Pixel 7"));
        QVERIFY(!model().mirrorRecommendation() && !model().desktopCapabilities() &&
                !model().cameraCapabilities());

        // The same serial again is no change: only the refresh below talks to adb.
        const qsizetype calls = m_world->sim.callArguments(QStringLiteral("adb")).size();
        model().setSelectedSerial(QStringLiteral("B2"));
        refresh();
        QCOMPARE(m_world->sim.callArguments(QStringLiteral("adb")).size(), calls + 1);
    }

    void failedInspectionClearsTheProfileQuietly()
    {
        m_world->sim.addPhone(QStringLiteral("A1"));
        m_world->sim.addTransport(QStringLiteral("EMU"), QStringLiteral("offline"));
        refresh();
        QTRY_VERIFY(model().deviceProfile().has_value());
        model().setSelectedSerial(QStringLiteral("EMU"));
        QTRY_COMPARE(model().deviceProfile(), std::nullopt);
        QCOMPARE(model().launchMessage(), std::nullopt);
        QVERIFY(model().logLines().isEmpty());
    }

    void quietTicks()
    {
        m_world->sim.addPhone(QStringLiteral("A1"));
        model().setOnboardingCompleted(true);
        model().start();
        QTRY_VERIFY(model().deviceProfile().has_value() && model().runtimeHealthy());
        QTRY_VERIFY(model().canLaunch());
        const int listings = m_world->deviceListings();
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (const char *signal :
             {"devicesChanged()", "phonesChanged()", "selectedSerialChanged()", "deviceProfileChanged()",
              "sessionActiveChanged()", "sessionDeviceChanged()", "appliedConfigChanged()",
              "activeSessionSerialsChanged()", "runtimeChanged()", "canLaunchChanged()",
              "currentConfigChanged()", "launchButtonTitleChanged()", "selectedDeviceChanged()",
              "pendingRestartChanged()", "logLinesChanged()", "rememberedWirelessChanged()",
              "showOnboardingChanged()"})
            spies.push_back(std::make_unique<QSignalSpy>(&model(), (QByteArray("2") + signal).constData()));
        QSignalSpy refreshing(&model(), &AppModel::refreshingDevicesChanged);
        QTRY_VERIFY(m_world->deviceListings() >= listings + 3);
        for (const auto &spy : spies)
            QVERIFY2(spy->isEmpty(), spy->signal().constData());
        QVERIFY(refreshing.count() >= 4);
    }

    void monitorPausesAfterEachPass()
    {
        model().setOnboardingCompleted(true);
        model().start();
        QTRY_VERIFY(m_world->deviceListings() >= 4);
        const QList<QJsonObject> calls = m_world->sim.calls();
        QList<QDateTime> times;
        for (const QJsonObject &call : calls) {
            if (call.value(QStringLiteral("argv")).toArray().first().toString() == QLatin1String("devices"))
                times << QDateTime::fromString(call.value(QStringLiteral("time")).toString(),
                                               Qt::ISODateWithMs);
        }
        // The second listing is the remembered-devices query that start() makes beside the first pass.
        times.removeAt(1);
        for (qsizetype index = 1; index < times.size(); ++index)
            QVERIFY(times[index - 1].msecsTo(times[index]) >= test::modelTiming().monitorPause.count());
    }

    void failedListingKeepsTheLastList()
    {
        m_world->sim.addPhone(QStringLiteral("A1"));
        refresh();
        m_world->sim.addFault({QStringLiteral("devices")}, 1, QStringLiteral("error: protocol fault"));
        const QString expected = test::failureOf(ADBService{m_world->sim.toolPaths()}.listDevices())
                                     .section(QStringLiteral(": "), 1);
        QVERIFY(!expected.isEmpty());
        refresh();
        QCOMPARE(model().logLines().last(), QStringLiteral("Device list failed: ") + expected);
        QCOMPARE(model().devices().size(), 1);
        QCOMPARE(selection(model()), QStringLiteral("A1"));
        QVERIFY(!model().refreshingDevices());
    }

    void errorTexts()
    {
        QCOMPARE(AppModel::errorText(ScrcpyError::deviceState(QStringLiteral("Device is gone."))),
                 QStringLiteral("Device is gone."));
        QCOMPARE(AppModel::errorText(SessionError::noActiveSession()),
                 QStringLiteral("No active scrcpy session is running."));
        QCOMPARE(AppModel::errorText(SessionError::windowClosed()),
                 QStringLiteral("The active scrcpy window has already closed."));
        QCOMPARE(AppModel::errorText(std::runtime_error("plain description")),
                 QStringLiteral("plain description"));
    }

    void userDefaultsGoStraightThrough()
    {
        model();
        QSettings store(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"));
        store.setValue(QStringLiteral("customADBPath"), QStringLiteral("   "));
        QCOMPARE(model().paths().adbOverride, QStringLiteral("   "));
        store.setValue(QStringLiteral("customADBPath"), QString());
        QCOMPARE(model().paths().adbOverride, std::nullopt);

        QSignalSpy media(&model(), &AppModel::mediaRootOverrideChanged);
        model().setMediaRootOverride(QStringLiteral("~/Videos"));
        model().setMediaRootOverride(QStringLiteral("~/Videos"));
        QCOMPARE(media.count(), 1);
        QCOMPARE(QSettings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"))
                     .value(QStringLiteral("mediaRootOverride"))
                     .toString(),
                 QStringLiteral("~/Videos"));
        QCOMPARE(model().mediaRootOverrideURL(), m_world->home.path() + QStringLiteral("/Videos"));
        QCOMPARE(model().recordingsRootOverrideURL(), std::nullopt);

        QVERIFY(!model().onboardingCompleted());
        model().setOnboardingCompleted(true);
        QVERIFY(QSettings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"))
                    .value(QStringLiteral("onboardingCompleted"))
                    .toBool());
    }

    // The mode, the phone and each phone's choices come back in a model started afresh on the same store.
    void rememberedStateSurvivesARestart()
    {
        m_world->sim.addPhone(QStringLiteral("A1"));
        m_world->sim.addPhone(QStringLiteral("B2"));
        refresh();
        model().setSelectedSerial(QStringLiteral("B2"));
        model().setSelectedMode(SidebarMode::Camera);
        model().mirrorState()->setMaxFps(15);
        model().mirrorState()->setCaptureOrientation(QStringLiteral("90"));
        model().cameraState()->setCodec(QStringLiteral("h265"));
        model().cameraState()->setZoom(2.5);

        m_world->dropModel();
        QCOMPARE(model().selectedMode(), SidebarMode::Camera);
        refresh();
        QCOMPARE(selection(model()), QStringLiteral("B2"));
        QCOMPARE(model().mirrorState()->maxFps(), 15u);
        QCOMPARE(model().mirrorState()->captureOrientation(), std::optional(QStringLiteral("90")));
        QCOMPARE(model().cameraState()->codec(), QStringLiteral("h265"));
        QCOMPARE(model().cameraState()->zoom(), 2.5);
    }

    // What the user chose stays over a recommendation, which still fills the rest, until Reset to Auto.
    void userChoiceOutlivesTheRecommendationUntilReset()
    {
        // Over Wi-Fi the recommendation differs from the defaults in both size and frame rate.
        m_world->sim.addPhone(QStringLiteral("192.168.1.40:5555"), test::DevSim::Connection::Wireless);
        refresh();
        model().mirrorState()->setMaxFps(15);
        model().mirrorState()->setCrop(QStringLiteral("720:1280:0:0"));
        await(model().recommend(QStringLiteral("mirror")));
        const std::optional<Recommendation> recommendation = model().mirrorRecommendation();
        QVERIFY(recommendation);
        QVERIFY(recommendation->maxFps != 15 && recommendation->maxFps != 60 &&
                recommendation->maxSize != 1920);
        QCOMPARE(model().mirrorState()->maxFps(), 15u);
        QCOMPARE(model().mirrorState()->maxSize(), recommendation->maxSize);

        await(model().resetToAuto());
        QCOMPARE(model().mirrorState()->maxFps(), recommendation->maxFps);
        QCOMPARE(model().mirrorState()->crop(), QString());
        m_world->dropModel();
        refresh();
        QCOMPARE(model().mirrorState()->maxFps(), 60u);
    }

    // Each phone shows its own choices; the one the user picked is picked again when it comes back.
    void eachPhoneHasItsOwnChoices()
    {
        m_world->sim.addPhone(QStringLiteral("A1"));
        m_world->sim.addPhone(QStringLiteral("B2"));
        refresh();
        model().setSelectedSerial(QStringLiteral("A1"));
        model().mirrorState()->setMaxFps(15);
        model().setSelectedSerial(QStringLiteral("B2"));
        QCOMPARE(model().mirrorState()->maxFps(), 60u);
        model().mirrorState()->setRecord(true);

        m_world->unplug(QStringLiteral("B2"));
        refresh();
        QCOMPARE(selection(model()), QStringLiteral("A1"));
        QCOMPARE(model().mirrorState()->maxFps(), 15u);
        QVERIFY(!model().mirrorState()->record());
        m_world->sim.addTransport(QStringLiteral("B2"), QStringLiteral("device"));
        refresh();
        QCOMPARE(selection(model()), QStringLiteral("B2"));
        QVERIFY(model().mirrorState()->record());
        QCOMPARE(model().mirrorState()->maxFps(), 60u);
    }

    void onboardingAtStart_data()
    {
        QTest::addColumn<bool>("completed");
        QTest::newRow("first start") << false;
        QTest::newRow("already set up") << true;
    }

    void onboardingAtStart()
    {
        QFETCH(bool, completed);
        model().setOnboardingCompleted(completed);
        model().setOnboardingStep(3);
        model().start();
        if (!completed) {
            QTRY_VERIFY(model().showOnboarding());
            QCOMPARE(model().onboardingStep(), 1);
            return;
        }
        QTRY_VERIFY(m_world->deviceListings() >= 2);
        QVERIFY(!model().showOnboarding());
        QCOMPARE(model().onboardingStep(), 3);
    }

    void onboardingNeverStepsBack()
    {
        model().setShowOnboarding(true);
        m_world->sim.addTransport(QStringLiteral("A1"), QStringLiteral("offline"));
        refresh();
        refresh();
        QCOMPARE(model().onboardingStep(), 2);
        m_world->unplug(QStringLiteral("A1"));
        refresh();
        QCOMPARE(model().onboardingStep(), 2);
        QVERIFY(model().showOnboarding());
    }

    void hiddenSheetIgnoresDevices()
    {
        m_world->sim.addPhone(QStringLiteral("A1"));
        refresh();
        refresh();
        QCOMPARE(model().onboardingStep(), 1);
        QVERIFY(!model().onboardingCompleted());
    }
};

QTEST_GUILESS_MAIN(TestModelMonitor)
#include "tst_modelmonitor.moc"
