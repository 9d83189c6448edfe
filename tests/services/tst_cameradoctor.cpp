#include "CameraService.h"
#include "DevSim.h"
#include "DoctorService.h"
#include "FailureText.h"
#include "TestHome.h"

#include <QJsonArray>
#include <QTest>

#include <memory>

using namespace quorvane;
using test::await;
using test::DevSim;
using test::failureOf;

namespace {

const QString serial = QStringLiteral("R5CW20ABCDE");
const QString optionalPurpose =
    QStringLiteral("Optional: lets Quorvane send keyboard shortcuts to the mirror window "
                   "(for example turn the screen off). Mirroring works without it.");

QString describe(const QList<DoctorFinding> &findings)
{
    QStringList lines;
    for (const DoctorFinding &finding : findings)
        lines << DoctorFinding::toString(finding.level) + QLatin1Char('|') + finding.title +
                     QLatin1Char('|') + finding.detail + QLatin1Char('|') +
                     finding.action.value_or(QStringLiteral("-"));
    return lines.join(QLatin1Char('\n'));
}

using Kind = HostDesktop::Kind;

QString notTrusted()
{
    return QStringLiteral("warning|Accessibility permission not granted|") + optionalPurpose +
           QStringLiteral(
               "|You can grant the permission in System Settings › Privacy & Security › Accessibility.");
}

QString closingNote()
{
    return QStringLiteral("info|Accessibility (optional)|") + optionalPurpose +
           QStringLiteral(
               "|Grant in System Settings › Privacy & Security › Accessibility if you want shortcut "
               "buttons.");
}

} // namespace

// The camera probe and the Connection Doctor against the simulator.
class TestCameraDoctor final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestHome> m_home;
    std::unique_ptr<DevSim> m_sim;
    QByteArray m_path;

    CameraService cameras() const { return CameraService{m_sim->toolPaths()}; }

    // Nothing anywhere: no bundle, no install folders, an empty PATH.
    void hideEveryTool()
    {
        RuntimeLocator::setBundledDirectoryOverride(m_home->path());
        RuntimeLocator::setWellKnownDirectoriesOverride(QStringList{});
        qputenv("PATH", m_home->path().toUtf8());
    }

    QList<DoctorFinding> doctor(bool trusted = false) const
    {
        const DoctorService service{RuntimeLocator{}, [trusted] { return trusted; },
                                    HostDesktop(Kind::MacOS)};
        return await(service.runDoctor(m_sim->toolPaths()));
    }

private slots:
    void init()
    {
        m_path = qgetenv("PATH");
        m_home = std::make_unique<test::TestHome>();
        m_sim = std::make_unique<DevSim>(*m_home);
    }

    void cleanup()
    {
        m_sim.reset();
        m_home.reset();
        RuntimeLocator::setBundledDirectoryOverride(std::nullopt);
        RuntimeLocator::setWellKnownDirectoriesOverride(std::nullopt);
        qputenv("PATH", m_path);
    }

    void cameraListing()
    {
        m_sim->addPhone(serial);
        const CameraCapabilities caps = await(cameras().listCapabilities(serial));
        QVERIFY(caps.cameraSupported);
        QCOMPARE(caps.note,
                 QStringLiteral("Camera capabilities are reported by Android. Quorvane uses conservative "
                                "defaults and automatically retries safer settings if a declared "
                                "combination fails."));
        QCOMPARE(caps.cameras.size(), 2);
        const CameraInfo &back = caps.cameras[0];
        QCOMPARE(back.fps, (QList<quint32>{15, 24, 30, 60}));
        QCOMPARE(back.zoomMax, 8.0);
        QCOMPARE(back.sizes.first(), QStringLiteral("4080x3072"));
        QCOMPARE(back.sizes.last(), QStringLiteral("640x480"));
        QCOMPARE(back.highSpeedModes, (QList<CameraHighSpeedMode>{{QStringLiteral("1920x1080"), {120, 240}},
                                                                  {QStringLiteral("1280x720"), {120, 240}}}));
        QCOMPARE(caps.cameras[1].facing, QStringLiteral("front"));
        QCOMPARE(m_sim->callArguments(QStringLiteral("scrcpy")),
                 (QList<QStringList>{{QStringLiteral("-s"), serial, QStringLiteral("--list-cameras"),
                                      QStringLiteral("--list-camera-sizes")}}));
    }

    void frontCameraOnlyIsRecommended()
    {
        m_sim->addPhone(serial).cameras(
            QJsonArray{QJsonObject{{QStringLiteral("id"), QStringLiteral("5")},
                                   {QStringLiteral("facing"), QStringLiteral("front")},
                                   {QStringLiteral("fps"), QJsonArray{30}},
                                   {QStringLiteral("sizes"), QJsonArray{QStringLiteral("640x480")}}}});
        const CameraCapabilities caps = await(cameras().listCapabilities(serial));
        QCOMPARE(caps.recommendedCameraId, QStringLiteral("5"));
        QVERIFY(!caps.cameras[0].torchLikely);
    }

    void phoneWithoutCameras()
    {
        m_sim->addPhone(serial).cameras(QJsonArray{});
        const CameraCapabilities caps = await(cameras().listCapabilities(serial));
        QVERIFY(!caps.cameraSupported);
        QCOMPARE(caps.recommendedCameraId, std::nullopt);
        QVERIFY(caps.cameras.isEmpty());
    }

    void cameraRefusals_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("probed");
        QTest::addColumn<QString>("failure");
        QTest::newRow("unauthorized")
            << QStringLiteral("unauthorized") << serial
            << QStringLiteral("deviceState: Authorize the device before probing its cameras.");
        QTest::newRow("gone") << QStringLiteral("device") << QStringLiteral("NOSUCH")
                              << QStringLiteral("deviceState: Selected device is no longer connected.");
    }

    void cameraRefusals()
    {
        QFETCH(QString, state);
        QFETCH(QString, probed);
        QFETCH(QString, failure);
        m_sim->addPhone(serial).state(state);
        QCOMPARE(failureOf(cameras().listCapabilities(probed)), failure);
        QVERIFY(m_sim->callArguments(QStringLiteral("scrcpy")).isEmpty());
    }

    void cameraProbeWithoutScrcpy()
    {
        m_sim->addPhone(serial);
        hideEveryTool();
        const CameraService service{ToolPaths{m_sim->adbPath(), std::nullopt}};
        QCOMPARE(failureOf(service.listCapabilities(serial)),
                 QStringLiteral(
                     "runtimeMissing: The built-in mirroring engine is missing. This copy of the app may "
                     "be damaged — download it again from https://quorvane.app/download."));
    }

    // Which tool texts speak of a damaged bundle is the runtime locator's; the findings carry them.
    void doctorWithoutTools()
    {
        hideEveryTool();
        RuntimeLocator::setBundledDirectoryOverride(std::nullopt);
        const DoctorService service{RuntimeLocator{}, {}, HostDesktop(Kind::MacOS)};
        const QList<DoctorFinding> findings = await(service.runDoctor(ToolPaths{}));
        QCOMPARE(
            describe(findings),
            QStringList(
                {QStringLiteral(
                     "error|ADB missing|Quorvane cannot detect Android devices without ADB.|adb was not "
                     "found: "
                     "install Debian's adb package or Android platform-tools, then set its adb in Settings "
                     "(for quorvanectl, --adb PATH) or put its folder on PATH."),
                 QStringLiteral(
                     "error|scrcpy missing|The mirroring engine is not available yet.|scrcpy was not "
                     "found, but Quorvane needs scrcpy 4.0 or newer: unpack the scrcpy project's "
                     "Linux release archive anywhere, then set its scrcpy in Settings (for "
                     "quorvanectl, --scrcpy PATH) or put its folder on PATH."),
                 notTrusted(), closingNote()})
                .join(QLatin1Char('\n')));
        QVERIFY(m_sim->calls().isEmpty());
    }

    // The accessibility finding and the closing note in each desktop's words. A missing check is
    // quorvanectl, which has no window of its own: it must say what the application says.
    void accessibilityFollowsTheDesktop_data()
    {
        QTest::addColumn<Kind>("desktop");
        QTest::addColumn<int>("check"); // -1: no check (quorvanectl), else the answer of the check
        QTest::addColumn<bool>("xwayland");
        QTest::addColumn<QString>("findings");
        // macOS granted is doctorWithoutPhone's; macOS with no check, doctorWithoutTools'.
        const QString x11Note = QStringLiteral("info|Keyboard shortcuts (optional)|") + optionalPurpose +
                                QStringLiteral("|Nothing to grant on X11: shortcut buttons work while the X "
                                               "display offers XTEST.");
        const QString x11Ready = QStringLiteral(
            "ok|Keyboard shortcuts ready|You can use keyboard shortcuts like Turn Screen Off and Fullscreen: "
            "Quorvane types them through the X display.|No action needed: X11 has no permission to grant.");
        // Once shortcuts work, no note says what they would need.
        QTest::newRow("X11") << Kind::X11 << 1 << false << x11Ready;
        QTest::newRow("X11 without XTEST")
            << Kind::X11 << 0 << false
            << QStringLiteral("warning|Keyboard shortcuts unavailable|") + optionalPurpose +
                   QStringLiteral(
                       "|This X display does not offer the XTEST extension that shortcut keys need. "
                       "X11 has no permission to grant.\n") +
                   x11Note;
        const QString waylandNote = QStringLiteral("info|Keyboard shortcuts (optional)|") + optionalPurpose +
                                    QStringLiteral("|On Wayland, turn on \"Run mirror windows through "
                                                   "XWayland\" in Settings if you want shortcut buttons.");
        const QString waylandOffer = QStringLiteral(
            "warning|Live toggles need an X11 window|On Wayland, Quorvane cannot send keys to the mirror "
            "window, so the live toggles Fullscreen, Screen Off and Torch work only when that window runs "
            "through XWayland. Mirroring works without it.|Turn on \"Run mirror windows through XWayland\" "
            "in Settings: new sessions then start scrcpy with SDL_VIDEODRIVER=x11.");
        QTest::newRow("Wayland") << Kind::Wayland << 1 << false << waylandOffer + u'\n' + waylandNote;
        QTest::newRow("Wayland through XWayland")
            << Kind::Wayland << 1 << true
            << QStringLiteral(
                   "ok|Keyboard shortcuts ready|Mirror windows run through XWayland, so you can "
                   "use keyboard shortcuts like Turn Screen Off and Fullscreen.|No action needed.");
        QTest::newRow("Wayland, XWayland silent")
            << Kind::Wayland << 0 << true
            << QStringLiteral("warning|Keyboard shortcuts unavailable|Mirror windows are set to run through "
                              "XWayland, but no XWayland display answered.|Install XWayland (the xwayland "
                              "package) and log in again.\n") +
                   waylandNote;
        QTest::newRow("no graphical session")
            << Kind::None << -1 << false
            << QStringLiteral(
                   "warning|Keyboard shortcuts unavailable|No graphical session was found (no "
                   "DISPLAY or WAYLAND_DISPLAY is set), so there is no window to send keys to.|Run "
                   "Quorvane inside a desktop session.\ninfo|Keyboard shortcuts (optional)|") +
                   optionalPurpose +
                   QStringLiteral(
                       "|Shortcut buttons need a graphical session: X11, or Wayland with XWayland.");
    }

    void accessibilityFollowsTheDesktop()
    {
        QFETCH(Kind, desktop);
        QFETCH(int, check);
        QFETCH(bool, xwayland);
        QFETCH(QString, findings);
        hideEveryTool();
        DoctorService service{RuntimeLocator{}, {}, HostDesktop(desktop), xwayland};
        if (check >= 0)
            service.accessibilityTrusted = [check] { return check == 1; };
        const QList<DoctorFinding> all = await(service.runDoctor(ToolPaths{}));
        QCOMPARE(describe(all.mid(2)), findings);
    }

    void doctorWithoutPhone()
    {
        m_sim->installAsBundle();
        const QString bin = m_sim->binDir();
        QCOMPARE(
            describe(doctor(true)),
            QStringList(
                {QStringLiteral("ok|ADB ready|Using %1/adb.|-").arg(bin),
                 QStringLiteral(
                     "warning|ADB cannot pair over Wi-Fi|This adb (29.0.6) cannot pair over Wi-Fi: "
                     "pairing needs Android platform-tools 30 or newer.|Install Android "
                     "platform-tools 30 or newer and set its adb in Settings."),
                 QStringLiteral("ok|scrcpy ready|Using %1/scrcpy.|-").arg(bin),
                 QStringLiteral("ok|Accessibility permission granted|You can use keyboard shortcuts like "
                                "Turn Screen Off and Fullscreen.|No action needed."),
                 QStringLiteral("warning|No phone detected|ADB is working, but no Android device is "
                                "visible.|Use a data-capable USB cable, enable USB debugging, then "
                                "reconnect.")})
                .join(QLatin1Char('\n')));
    }

    void doctorWithAPhoneSeenTwice()
    {
        m_sim->installAsBundle();
        m_sim->addPhone(serial).alsoWireless();
        m_sim->addTransport(QStringLiteral("emulator-5554"), QStringLiteral("offline"));
        const QList<DoctorFinding> findings = doctor();
        QCOMPARE(findings.size(), 7);
        QCOMPARE(describe(findings.mid(4, 2)),
                 QStringLiteral(
                     "ok|Device authorized|Pixel 8 is ready for control.|-\n"
                     "warning|Device offline|emulator-5554 is visible to ADB but not responding.|Reconnect "
                     "USB or restart Wireless debugging, then refresh."));
        QCOMPARE(findings.last().title, QStringLiteral("Accessibility (optional)"));
    }

    void doctorWhenAdbFails()
    {
        m_sim->installAsBundle();
        m_sim->addFault(
            QStringList{QStringLiteral("devices")}, 1,
            QStringLiteral("error: protocol fault (couldn't read status): Connection reset by peer\n"));
        const QList<DoctorFinding> findings = doctor();
        QCOMPARE(findings.size(), 6);
        QCOMPARE(describe({findings[4]}),
                 QStringLiteral(
                     "error|ADB check failed|error: protocol fault (couldn't read status): Connection reset "
                     "by peer (exit code 1)|Close other ADB tools, reconnect the phone, and refresh."));
    }
};

QTEST_GUILESS_MAIN(TestCameraDoctor)
#include "tst_cameradoctor.moc"
