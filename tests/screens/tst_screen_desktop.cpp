// The Desktop Mode screen against the simulator: the probe when shown and the geometry it brings, the
// capability rows, the settings bound both ways, and enabling then restoring.
#include "ConfirmationPrompt.h"
#include "DesktopModeScreen.h"
#include "ScreenTesting.h"

#include <QCheckBox>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

using namespace quorvane;
using namespace quorvane::app;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

class TestScreenDesktop final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenWorld> m_world;

    AppModel &model() { return m_world->model(); }
    DesktopSettings &settings() { return *model().desktopState(); }

    static QString text(const QWidget &screen, const QString &name)
    {
        const QLabel *label = child<QLabel>(screen, name);
        return label ? label->text() : QStringLiteral("<missing>");
    }

private slots:
    void init()
    {
        m_world = std::make_unique<ScreenWorld>();
        ConfirmationPrompt::reset();
    }
    void cleanup() { m_world.reset(); }

    void withoutADevice()
    {
        DesktopModeScreen screen(&model());
        ScreenWorld::show(screen);
        QCOMPARE(text(screen, QStringLiteral("desktopStatus")),
                 QStringLiteral("Choose a phone at the bottom of the window to check its display support."));
        QVERIFY(!child<QPushButton>(screen, QStringLiteral("desktopProbe"))->isEnabled());
        QVERIFY(!child<QPushButton>(screen, QStringLiteral("desktopEnable"))->isEnabled());
        QVERIFY(!child<QPushButton>(screen, QStringLiteral("desktopScreenshot"))->isEnabled());
        QTRY_VERIFY(!model().desktopBusy());
    }

    // Shown without capabilities it probes; the geometry then takes the phone's recommended size.
    void probesWhenShown()
    {
        m_world->connectPhone();
        DesktopModeScreen screen(&model());
        QVERIFY(!model().desktopCapabilities());
        ScreenWorld::show(screen);
        QVERIFY(model().desktopBusy());
        QCOMPARE(text(screen, QStringLiteral("desktopStatus")),
                 QStringLiteral("Probing device capabilities…"));
        QVERIFY(!child<QPushButton>(screen, QStringLiteral("desktopProbe"))->isEnabled());
        // The phone's first inspection may land after this probe and clear its result; the screen then
        // probes again. Capabilities seen after the inspection stay.
        QTRY_VERIFY_WITH_TIMEOUT(model().deviceProfile().has_value(), inspectionTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(model().desktopCapabilities().has_value() && !model().desktopBusy(),
                                 inspectionTimeout);
        const DesktopCapabilities capabilities = *model().desktopCapabilities();
        QTRY_COMPARE(settings().width(), capabilities.recommendedWidth);
        QCOMPARE(settings().height(), capabilities.recommendedHeight);
        QCOMPARE(child<QSpinBox>(screen, QStringLiteral("desktopWidth"))->value(),
                 static_cast<int>(capabilities.recommendedWidth));
        QVERIFY(!child<QLabel>(screen, QStringLiteral("desktopStatus"))->isVisible());
        QCOMPARE(text(screen, QStringLiteral("desktopCapability_virtualDisplay")),
                 capabilities.virtualDisplaySupported ? QStringLiteral("available")
                                                      : QStringLiteral("unavailable"));
        QCOMPARE(text(screen, QStringLiteral("desktopCapability_windowing")),
                 capabilities.androidDesktopWindowingAvailable ? QStringLiteral("available")
                                                               : QStringLiteral("unavailable"));
        QCOMPARE(text(screen, QStringLiteral("desktopSummary")), capabilities.summary);
        QCOMPARE(text(screen, QStringLiteral("desktopMessage")), capabilities.message);
        if (capabilities.launcherPackage)
            QCOMPARE(text(screen, QStringLiteral("desktopDetectedLauncher")),
                     QStringLiteral("Detected launcher: ") + *capabilities.launcherPackage);

        // Known capabilities: showing again does not probe, and a size the user chose stays.
        settings().setWidth(1280);
        const qsizetype calls = m_world->world.sim.calls().size();
        screen.hide();
        screen.show();
        QTest::qWait(50);
        QVERIFY(!model().desktopBusy());
        QCOMPARE(m_world->world.sim.calls().size(), calls);
        QCOMPARE(settings().width(), 1280u);
    }

    // Shown before any phone is known (as at start-up), the screen probes once the phone's inspection has
    // landed; a later inspection clears the capabilities and, while shown, the screen probes again.
    void probesAgainWhenAnInspectionLands()
    {
        DesktopModeScreen screen(&model());
        ScreenWorld::show(screen);
        QTRY_VERIFY(!model().desktopBusy());
        Recorder<bool> known(&model(), &AppModel::desktopCapabilitiesChanged,
                             [this] { return model().desktopCapabilities().has_value(); });
        m_world->connectPhone();
        QTRY_COMPARE_WITH_TIMEOUT(known.values, QList<bool>{true}, inspectionTimeout);
        QTRY_COMPARE(settings().width(), model().desktopCapabilities()->recommendedWidth);
        QVERIFY(!model().desktopBusy());
        QVERIFY(child<QPushButton>(screen, QStringLiteral("desktopEnable"))->isEnabled());

        model().refreshInspection();
        QTRY_COMPARE_WITH_TIMEOUT(known.values, (QList<bool>{true, false, true}), inspectionTimeout);
        QTRY_VERIFY(!model().desktopBusy());
        QCOMPARE(text(screen, QStringLiteral("desktopSummary")), model().desktopCapabilities()->summary);
    }

    void settingsBoundBothWays_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("property");
        QTest::newRow("flex") << u"desktopFlex"_s << u"Freeform windowing"_s << u"flex"_s;
        QTest::newRow("decorations") << u"desktopNoDecorations"_s << u"Skip window decorations"_s
                                     << u"noDecorations"_s;
        QTest::newRow("keep") << u"desktopKeepContent"_s << u"Keep desktop content when closed"_s
                              << u"keepContent"_s;
        QTest::newRow("audio") << u"desktopAudio"_s << u"Forward audio"_s << u"audio"_s;
        QTest::newRow("fullscreen") << u"desktopFullscreen"_s << u"Start fullscreen"_s << u"fullscreen"_s;
        QTest::newRow("recording") << u"desktopRecording"_s << u"Desktop recording"_s << u"record"_s;
    }

    void settingsBoundBothWays()
    {
        QFETCH(QString, name);
        QFETCH(QString, label);
        QFETCH(QString, property);
        DesktopModeScreen screen(&model());
        checkToggleBinding(screen, settings(), name, label, property);
    }

    void geometryAndStartApp()
    {
        DesktopModeScreen screen(&model());
        settings().setDensity(320);
        QCOMPARE(child<QSpinBox>(screen, QStringLiteral("desktopDensity"))->value(), 320);
        auto *app = child<QLineEdit>(screen, QStringLiteral("desktopStartApp"));
        QCOMPARE(app->placeholderText(), QStringLiteral("com.example.launcher"));
        settings().setStartApp(QStringLiteral("org.example.home"));
        QCOMPARE(app->text(), QStringLiteral("org.example.home"));
    }

    // Confirmed, the phone's settings change and it reboots; restore brings every setting back as it was.
    void enableAfterConfirmationThenRestore()
    {
        m_world->connectPhone();
        await(model().probeDesktop(usbSerial));
        const auto phoneSettings = [this] {
            return m_world->world.sim.phone(QStringLiteral("phone1"))
                .read()[QStringLiteral("settings")]
                .toObject();
        };
        const QJsonObject before = phoneSettings();
        DesktopModeScreen screen(&model());
        auto *enable = child<QPushButton>(screen, QStringLiteral("desktopEnable"));
        QCOMPARE(enable->text(), QStringLiteral("Enable Desktop Settings…"));

        // While the phone's settings change and it reboots, the screen says so and nothing else may start.
        QStringList whileChanging;
        connect(&model(), &AppModel::desktopActivityChanged, &screen, [&] {
            if (!model().desktopActivity())
                return;
            bool anyEnabled = false;
            for (const char *name : {"desktopEnable", "desktopRestore", "desktopProbe", "desktopScreenshot"})
                anyEnabled |= child<QPushButton>(screen, QLatin1String(name))->isEnabled();
            whileChanging.append(text(screen, QStringLiteral("desktopStatus")) +
                                 (anyEnabled ? QStringLiteral(" (enabled)") : QString()));
        });
        ConfirmationPrompt::setNextAnswer(true);
        enable->click();
        QTRY_VERIFY(model().launchMessage().has_value());
        QVERIFY2(!model().launchFailed(), qPrintable(model().launchMessage().value_or(QString())));
        QTRY_VERIFY_WITH_TIMEOUT(model().desktopCapabilities()->backupAvailable && !model().desktopBusy(),
                                 inspectionTimeout);
        QCOMPARE(
            m_world->world.phoneSetting(QStringLiteral("global"), QStringLiteral("enable_freeform_support")),
            QStringLiteral("1"));
        QCOMPARE(text(screen, QStringLiteral("desktopCapability_prepared")),
                 model().desktopCapabilities()->prepared ? QStringLiteral("yes") : QStringLiteral("no"));
        QTRY_VERIFY(!model().desktopChanging());
        QCOMPARE(
            whileChanging,
            (QStringList{QStringLiteral("Backing up the desktop settings, enabling desktop windowing and "
                                        "rebooting the phone…"),
                         QStringLiteral("Checking the phone's display support again…")}));

        QCOMPARE(child<QPushButton>(screen, QStringLiteral("desktopRestore"))->text(),
                 QStringLiteral("Restore Backup…"));
        const std::optional<QString> enabledMessage = model().launchMessage();
        child<QPushButton>(screen, QStringLiteral("desktopRestore"))->click();
        QTRY_VERIFY_WITH_TIMEOUT(model().launchMessage() != enabledMessage && !model().desktopBusy(),
                                 inspectionTimeout);
        QVERIFY(!model().launchFailed());
        QTRY_COMPARE(phoneSettings(), before);
        QCOMPARE(
            m_world->world.sim.phone(QStringLiteral("phone1")).read()[QStringLiteral("bootCount")].toInt(),
            2);
    }

    void quickActionsAndLogs()
    {
        model().setMediaRootOverride(m_world->world.home.path() + QStringLiteral("/Media"));
        DesktopModeScreen screen(&model());
        auto *shot = child<QPushButton>(screen, QStringLiteral("desktopScreenshot"));
        QCOMPARE(shot->toolTip(), QStringLiteral("Capture the launched Desktop Mode display"));
        QCOMPARE(text(screen, QStringLiteral("desktopScreenshotNote")),
                 QStringLiteral("Launch Desktop Mode first so Quorvane can target its display."));
        m_world->connectPhone();
        shot->click();
        QTRY_VERIFY(!model().capturingScreenshot());
        QCOMPARE(model().launchMessage(),
                 QStringLiteral(
                     "The Desktop Mode display was not found. Launch Desktop Mode first, then try again."));
        QVERIFY(model().launchFailed());
        child<QPushButton>(screen, QStringLiteral("desktopMediaFolder"))->click();
        child<QPushButton>(screen, QStringLiteral("desktopOpenLogs"))->click();
        QCOMPARE(m_world->opened.size(), 2);
        QCOMPARE(m_world->opened.first(), m_world->world.home.path() + QStringLiteral("/Media"));
        QVERIFY(model().launchMessage()->startsWith(QStringLiteral("Opened Desktop Diagnostics — ")));
    }
};

QTEST_MAIN(TestScreenDesktop)
#include "tst_screen_desktop.moc"
