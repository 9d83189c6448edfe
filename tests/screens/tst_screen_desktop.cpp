// The Desktop Mode screen against the simulator: the probe when shown and the geometry it brings, the
// capability rows, the settings bound both ways, and enabling then restoring.
#include "ConfirmationPrompt.h"
#include "DesktopModeScreen.h"
#include "ScreenTesting.h"

#include <QJsonObject>
#include <QLabel>
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
        return label ? label->text() : u"<missing>"_s;
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
        QCOMPARE(text(screen, u"desktopStatus"_s),
                 u"Choose a phone at the bottom of the window to check its display support."_s);
        QVERIFY(!child<QPushButton>(screen, u"desktopProbe"_s)->isEnabled());
        QVERIFY(!child<QPushButton>(screen, u"desktopEnable"_s)->isEnabled());
        QVERIFY(!child<QPushButton>(screen, u"desktopScreenshot"_s)->isEnabled());
        QTRY_VERIFY(!model().desktopBusy());
    }

    // Shown without capabilities it probes; the geometry then takes the phone's recommended size.
    void probesWhenShown()
    {
        m_world->connectPhone();
        DesktopModeScreen screen(&model());
        ScreenWorld::show(screen);
        QCOMPARE(text(screen, u"desktopStatus"_s), u"Probing device capabilities…"_s);
        QVERIFY(!child<QPushButton>(screen, u"desktopProbe"_s)->isEnabled());
        // The phone's first inspection may land after this probe and clear its result; the screen then
        // probes again. Capabilities seen after the inspection stay.
        QTRY_VERIFY_WITH_TIMEOUT(model().deviceProfile().has_value(), inspectionTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(model().desktopCapabilities().has_value() && !model().desktopBusy(),
                                 inspectionTimeout);
        const DesktopCapabilities capabilities = *model().desktopCapabilities();
        QTRY_COMPARE(child<QSpinBox>(screen, u"desktopWidth"_s)->value(),
                     static_cast<int>(capabilities.recommendedWidth));
        QVERIFY(!child<QLabel>(screen, u"desktopStatus"_s)->isVisible());
        QCOMPARE(text(screen, u"desktopCapability_virtualDisplay"_s),
                 capabilities.virtualDisplaySupported ? u"available"_s : u"unavailable"_s);
        QCOMPARE(text(screen, u"desktopCapability_windowing"_s),
                 capabilities.androidDesktopWindowingAvailable ? u"available"_s : u"unavailable"_s);
        QCOMPARE(text(screen, u"desktopSummary"_s), capabilities.summary);
        QCOMPARE(text(screen, u"desktopMessage"_s), capabilities.message);
        if (capabilities.launcherPackage)
            QCOMPARE(text(screen, u"desktopDetectedLauncher"_s),
                     u"Detected launcher: "_s + *capabilities.launcherPackage);

        // Known capabilities: showing again does not probe, and a size the user chose stays.
        settings().setWidth(1280);
        const qsizetype calls = m_world->world.sim.calls().size();
        screen.hide();
        screen.show();
        QTest::qWait(50);
        QCOMPARE(m_world->world.sim.calls().size(), calls);
        QCOMPARE(settings().width(), 1280u);

        // A later inspection clears the capabilities: while shown, the screen probes again.
        Recorder<bool> known(&model(), &AppModel::desktopCapabilitiesChanged,
                             [this] { return model().desktopCapabilities().has_value(); });
        model().refreshInspection();
        QTRY_COMPARE_WITH_TIMEOUT(known.values, (QList<bool>{false, true}), inspectionTimeout);
        QTRY_VERIFY(!model().desktopBusy());
        QCOMPARE(text(screen, u"desktopSummary"_s), model().desktopCapabilities()->summary);
        QVERIFY(child<QPushButton>(screen, u"desktopEnable"_s)->isEnabled());
    }

    void settingsBoundBothWays_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("property");
        QTest::newRow("decorations") << u"desktopNoDecorations"_s << u"noDecorations"_s;
        QTest::newRow("fullscreen") << u"desktopFullscreen"_s << u"fullscreen"_s;
        QTest::newRow("recording") << u"desktopRecording"_s << u"record"_s;
    }

    void settingsBoundBothWays()
    {
        QFETCH(QString, name);
        QFETCH(QString, property);
        DesktopModeScreen screen(&model());
        checkToggleBinding(screen, settings(), name, property);
    }

    // Confirmed, the phone's settings change and it reboots; restore brings every setting back as it was.
    void enableAfterConfirmationThenRestore()
    {
        m_world->connectPhone();
        await(model().probeDesktop(usbSerial));
        const auto phoneSettings = [this] {
            return m_world->world.sim.phone(u"phone1"_s).read()[u"settings"_s].toObject();
        };
        const QJsonObject before = phoneSettings();
        DesktopModeScreen screen(&model());
        auto *enable = child<QPushButton>(screen, u"desktopEnable"_s);

        // While the phone's settings change and it reboots, the screen says so and nothing else may start.
        QStringList whileChanging;
        connect(&model(), &AppModel::desktopActivityChanged, &screen, [&] {
            if (!model().desktopActivity())
                return;
            bool anyEnabled = false;
            for (const char *name : {"desktopEnable", "desktopRestore", "desktopProbe", "desktopScreenshot"})
                anyEnabled |= child<QPushButton>(screen, QLatin1String(name))->isEnabled();
            whileChanging.append(text(screen, u"desktopStatus"_s) +
                                 (anyEnabled ? u" (enabled)"_s : QString()));
        });
        ConfirmationPrompt::setNextAnswer(true);
        enable->click();
        QTRY_VERIFY(model().launchMessage().has_value());
        QVERIFY2(!model().launchFailed(), qPrintable(model().launchMessage().value_or(QString())));
        QTRY_VERIFY_WITH_TIMEOUT(model().desktopCapabilities()->backupAvailable && !model().desktopBusy(),
                                 inspectionTimeout);
        QCOMPARE(text(screen, u"desktopCapability_prepared"_s),
                 model().desktopCapabilities()->prepared ? u"yes"_s : u"no"_s);
        QTRY_VERIFY(!model().desktopChanging());
        QCOMPARE(
            whileChanging,
            (QStringList{QStringLiteral("Backing up the desktop settings, enabling desktop windowing and "
                                        "rebooting the phone…"),
                         u"Checking the phone's display support again…"_s}));

        const std::optional<QString> enabledMessage = model().launchMessage();
        child<QPushButton>(screen, u"desktopRestore"_s)->click();
        QTRY_VERIFY_WITH_TIMEOUT(model().launchMessage() != enabledMessage && !model().desktopBusy(),
                                 inspectionTimeout);
        QVERIFY(!model().launchFailed());
        QTRY_COMPARE(phoneSettings(), before);
    }

    void quickActionsAndLogs()
    {
        model().setMediaRootOverride(m_world->world.home.path() + u"/Media"_s);
        DesktopModeScreen screen(&model());
        auto *shot = child<QPushButton>(screen, u"desktopScreenshot"_s);
        QCOMPARE(text(screen, u"desktopScreenshotNote"_s),
                 u"Launch Desktop Mode first so Quorvane can target its display."_s);
        m_world->connectPhone();
        shot->click();
        QTRY_VERIFY(!model().capturingScreenshot());
        QCOMPARE(model().launchMessage(),
                 QStringLiteral(
                     "The Desktop Mode display was not found. Launch Desktop Mode first, then try again."));
        QVERIFY(model().launchFailed());
        child<QPushButton>(screen, u"desktopMediaFolder"_s)->click();
        child<QPushButton>(screen, u"desktopOpenLogs"_s)->click();
        QCOMPARE(m_world->opened.size(), 2);
        QCOMPARE(m_world->opened.first(), m_world->world.home.path() + u"/Media"_s);
    }
};

QTEST_MAIN(TestScreenDesktop)
#include "tst_screen_desktop.moc"
