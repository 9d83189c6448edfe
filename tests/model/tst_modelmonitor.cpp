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
using namespace Qt::StringLiterals;
using test::await;
using test::ModelWorld;

namespace {

using Transports = QList<std::pair<QString, QString>>;
const QString none = u"<none>"_s;

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
        const QString a = u"A1"_s;
        const QString b = u"B2"_s;
        const QString device = u"device"_s;
        const QString unauthorized = u"unauthorized"_s;
        QTest::newRow("nothing connected") << Transports{} << none << none;
        QTest::newRow("only an unauthorized phone") << Transports{{a, unauthorized}} << none << a;
        QTest::newRow("first authorized wins") << Transports{{a, unauthorized}, {b, device}} << none << b;
        QTest::newRow("selection gone: first entry whatever its state")
            << Transports{{a, unauthorized}, {b, device}} << u"GONE"_s << a;
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
    }

    void disappearingDevices()
    {
        m_world->sim.addPhone(u"A1"_s);
        refresh();
        QTRY_VERIFY(model().deviceProfile().has_value());
        m_world->unplug(u"A1"_s);
        refresh();
        QCOMPARE(selection(model()), none);
        QTRY_COMPARE(model().deviceProfile(), std::nullopt);
        QVERIFY(model().devices().isEmpty());
    }

    // Settings a crashed run left changed go back once the phone is ready, and the user hears of it once.
    void leftoverSettingsArePutBackWhenThePhoneIsReady()
    {
        m_world->sim.addPhone(u"A1"_s)
            .setting(u"system"_s, u"show_touches"_s, u"1"_s)
            .setting(u"global"_s, u"stay_on_while_plugged_in"_s, u"7"_s)
            .state(u"unauthorized"_s);
        // Another phone already ready must not hide that this one has just become ready.
        m_world->sim.addPhone(u"B2"_s);
        const SettingsJournal journal;
        journal.record(u"A1"_s, u"system"_s, u"show_touches"_s, SettingBackup{u"0"_s});
        journal.record(u"A1"_s, u"global"_s, u"stay_on_while_plugged_in"_s, SettingBackup::missing());
        refresh();
        QCOMPARE(journal.entries().size(), 2);

        m_world->setTransportState(u"A1"_s, u"device"_s);
        refresh();
        const QString message = u"Put back show touches and stay awake on A1, which Quorvane "
                                "had changed before it was interrupted."_s;
        QTRY_COMPARE(model().launchMessage(), std::optional(message));
        QVERIFY(!model().launchFailed());
        QCOMPARE(m_world->phoneSetting(u"system"_s, u"show_touches"_s), u"0"_s);
        QCOMPARE(m_world->phoneSetting(u"global"_s, u"stay_on_while_plugged_in"_s), u"<unset>"_s);
        QVERIFY(journal.entries().isEmpty());
        // Met again: nothing is left to put back or to tell.
        m_world->setTransportState(u"A1"_s, u"offline"_s);
        refresh();
        m_world->setTransportState(u"A1"_s, u"device"_s);
        refresh();
        QCOMPARE(model().logLines().count(message), 1);
        // A setting adb fails to put back stays journalled for the next time and is not announced.
        journal.record(u"A1"_s, u"system"_s, u"show_touches"_s, SettingBackup{u"1"_s});
        journal.record(u"A1"_s, u"global"_s, u"stay_on_while_plugged_in"_s, SettingBackup::missing());
        m_world->sim.addFault({u"shell"_s, u"settings"_s, u"put"_s}, 1, u"Security exception"_s);
        m_world->setTransportState(u"A1"_s, u"offline"_s);
        refresh();
        m_world->setTransportState(u"A1"_s, u"device"_s);
        refresh();
        QTRY_COMPARE(model().launchMessage(), std::optional(u"Put back stay awake on A1, which Quorvane had "
                                                            "changed before it was interrupted."_s));
        QCOMPARE(journal.entries().size(), 1);
    }

    void identicalListLeavesTheSelectionAlone()
    {
        m_world->sim.addPhone(u"A1"_s);
        refresh();
        model().setSelectedSerial(std::nullopt);
        QSignalSpy selected(&model(), &AppModel::selectedSerialChanged);
        refresh();
        QCOMPARE(selection(model()), none);
        QCOMPARE(selected.count(), 0);
    }

    void inspectionFollowsTheSelectionAndClearsStaleProbes()
    {
        m_world->sim.addPhone(u"A1"_s);
        m_world->sim.addPhone(u"B2"_s).model(u"Pixel 7"_s);
        refresh();
        QTRY_VERIFY(model().deviceProfile().has_value());
        QCOMPARE(model().deviceProfile()->serial, u"A1"_s);
        await(model().recommend(u"mirror"_s));
        await(model().probeDesktop(u"A1"_s));
        await(model().probeCameras(u"A1"_s));
        QVERIFY2(model().mirrorRecommendation() && model().desktopCapabilities() &&
                     model().cameraCapabilities(),
                 qPrintable(model().logLines().join(QLatin1Char('\n'))));

        model().setSelectedSerial(u"B2"_s);
        QTRY_COMPARE(model().deviceProfile().value_or(DeviceProfile{}).model, u"Pixel 7"_s);
        QVERIFY(!model().mirrorRecommendation() && !model().desktopCapabilities() &&
                !model().cameraCapabilities());

        // The same serial again is no change: only the refresh below talks to adb.
        const qsizetype calls = m_world->sim.callArguments(u"adb"_s).size();
        model().setSelectedSerial(u"B2"_s);
        refresh();
        QCOMPARE(m_world->sim.callArguments(u"adb"_s).size(), calls + 1);
    }

    void failedInspectionClearsTheProfileQuietly()
    {
        m_world->sim.addPhone(u"A1"_s);
        m_world->sim.addTransport(u"EMU"_s, u"offline"_s);
        refresh();
        QTRY_VERIFY(model().deviceProfile().has_value());
        model().setSelectedSerial(u"EMU"_s);
        QTRY_COMPARE(model().deviceProfile(), std::nullopt);
        QCOMPARE(model().launchMessage(), std::nullopt);
        QVERIFY(model().logLines().isEmpty());
    }

    void quietTicks()
    {
        m_world->sim.addPhone(u"A1"_s);
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
            if (call.value(u"argv"_s).toArray().first().toString() == QLatin1String("devices"))
                times << QDateTime::fromString(call.value(u"time"_s).toString(), Qt::ISODateWithMs);
        }
        // The second listing is the remembered-devices query that start() makes beside the first pass.
        times.removeAt(1);
        for (qsizetype index = 1; index < times.size(); ++index)
            QVERIFY(times[index - 1].msecsTo(times[index]) >= test::modelTiming().monitorPause.count());
    }

    void failedListingKeepsTheLastList()
    {
        m_world->sim.addPhone(u"A1"_s);
        refresh();
        m_world->sim.addFault({u"devices"_s}, 1, u"error: protocol fault"_s);
        const QString expected =
            test::failureOf(ADBService{m_world->sim.toolPaths()}.listDevices()).section(u": "_s, 1);
        QVERIFY(!expected.isEmpty());
        refresh();
        QCOMPARE(model().logLines().last(), u"Device list failed: "_s + expected);
        QCOMPARE(model().devices().size(), 1);
        QCOMPARE(selection(model()), u"A1"_s);
        QVERIFY(!model().refreshingDevices());
    }

    // The project's own errors reach the user through every failing action; anything else is told as is.
    void foreignErrorText()
    {
        QCOMPARE(AppModel::errorText(std::runtime_error("plain description")), u"plain description"_s);
    }

    void userDefaultsGoStraightThrough()
    {
        model();
        QSettings store(u"Quorvane"_s, u"Quorvane"_s);
        store.setValue(u"customADBPath"_s, u"   "_s);
        QCOMPARE(model().paths().adbOverride, u"   "_s);
        store.setValue(u"customADBPath"_s, QString());
        QCOMPARE(model().paths().adbOverride, std::nullopt);

        QSignalSpy media(&model(), &AppModel::mediaRootOverrideChanged);
        model().setMediaRootOverride(u"~/Videos"_s);
        model().setMediaRootOverride(u"~/Videos"_s);
        QCOMPARE(media.count(), 1);
        QCOMPARE(model().mediaRootOverrideURL(), m_world->home.path() + u"/Videos"_s);
        QCOMPARE(model().recordingsRootOverrideURL(), std::nullopt);

        QVERIFY(!model().onboardingCompleted());
        model().setOnboardingCompleted(true);
        QVERIFY(QSettings(u"Quorvane"_s, u"Quorvane"_s).value(u"onboardingCompleted"_s).toBool());
    }

    // The mode, the phone and each phone's choices come back in a model started afresh on the same store.
    void rememberedStateSurvivesARestart()
    {
        m_world->sim.addPhone(u"A1"_s);
        m_world->sim.addPhone(u"B2"_s);
        refresh();
        model().setSelectedSerial(u"B2"_s);
        model().setSelectedMode(SidebarMode::Camera);
        model().mirrorState()->setMaxFps(15);
        model().mirrorState()->setCaptureOrientation(u"90"_s);
        model().cameraState()->setCodec(u"h265"_s);
        model().cameraState()->setZoom(2.5);

        m_world->dropModel();
        QCOMPARE(model().selectedMode(), SidebarMode::Camera);
        refresh();
        QCOMPARE(selection(model()), u"B2"_s);
        QCOMPARE(model().mirrorState()->maxFps(), 15u);
        QCOMPARE(model().mirrorState()->captureOrientation(), std::optional(u"90"_s));
        QCOMPARE(model().cameraState()->codec(), u"h265"_s);
        QCOMPARE(model().cameraState()->zoom(), 2.5);
    }

    // What the user chose stays over a recommendation, which still fills the rest, until Reset to Auto.
    void userChoiceOutlivesTheRecommendationUntilReset()
    {
        // Over Wi-Fi the recommendation differs from the defaults in both size and frame rate.
        m_world->sim.addPhone(u"192.168.1.40:5555"_s, test::DevSim::Connection::Wireless);
        refresh();
        model().mirrorState()->setMaxFps(15);
        model().mirrorState()->setCrop(u"720:1280:0:0"_s);
        await(model().recommend(u"mirror"_s));
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
        m_world->sim.addPhone(u"A1"_s);
        m_world->sim.addPhone(u"B2"_s);
        refresh();
        model().setSelectedSerial(u"A1"_s);
        model().mirrorState()->setMaxFps(15);
        model().setSelectedSerial(u"B2"_s);
        QCOMPARE(model().mirrorState()->maxFps(), 60u);
        model().mirrorState()->setRecord(true);

        m_world->unplug(u"B2"_s);
        refresh();
        QCOMPARE(selection(model()), u"A1"_s);
        QCOMPARE(model().mirrorState()->maxFps(), 15u);
        QVERIFY(!model().mirrorState()->record());
        m_world->sim.addTransport(u"B2"_s, u"device"_s);
        refresh();
        QCOMPARE(selection(model()), u"B2"_s);
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

    // Only a shown sheet follows the devices, and it never steps back.
    void onboardingNeverStepsBack()
    {
        m_world->sim.addTransport(u"A1"_s, u"offline"_s);
        refresh();
        refresh();
        QCOMPARE(model().onboardingStep(), 1);
        model().setShowOnboarding(true);
        refresh();
        refresh();
        QCOMPARE(model().onboardingStep(), 2);
        m_world->unplug(u"A1"_s);
        refresh();
        QCOMPARE(model().onboardingStep(), 2);
        QVERIFY(model().showOnboarding());
    }
};

QTEST_GUILESS_MAIN(TestModelMonitor)
#include "tst_modelmonitor.moc"
