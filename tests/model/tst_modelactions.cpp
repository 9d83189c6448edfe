#include "ModelTesting.h"

#include "AppPaths.h"
#include "Async.h"
#include "CameraService.h"
#include "DesktopService.h"
#include "Errors.h"
#include "FailureText.h"
#include "RuntimeLocator.h"
#include "SavedProfileStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>

using namespace quorvane;
using namespace quorvane::app;
using namespace Qt::StringLiterals;
using test::await;
using test::ModelWorld;
using test::Recorder;
using test::usbSerial;
using test::wifiSerial;

namespace {

std::optional<QString> text(const char *value)
{
    return QString::fromUtf8(value);
}

// The sentence a call fails with, straight from the service, to compare with what the model shows.
template<typename T>
QString failureText(QCoro::Task<T> task)
{
    return test::failureOf(std::move(task)).section(u": "_s, 1);
}

} // namespace

// Every wireless, desktop, camera, media, file-push and doctor action: its busy flag, its status line and
// what it refreshes, against the simulated adb and scrcpy.
class TestModelActions final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ModelWorld> m_world;
    QStringList m_opened;
    std::optional<QString> m_openFailure;

    AppModel &model() { return m_world->model(); }

    void connectPhone()
    {
        m_world->connectPhone();
        // The inspection of the picked phone clears earlier probe answers when it ends: let it end first.
        QTRY_VERIFY(model().deviceProfile());
    }

    template<typename Signal>
    std::unique_ptr<Recorder<bool>> recordFlag(Signal signal, bool (AppModel::*read)() const)
    {
        return std::make_unique<Recorder<bool>>(&model(), signal, [this, read] { return (model().*read)(); });
    }

private slots:
    void initTestCase()
    {
        // No file manager ever opens during the tests.
        MediaService::setFolderOpener([this](const QString &folder) {
            if (m_openFailure)
                throw FileSystemError(*m_openFailure);
            m_opened << folder;
        });
    }

    void init()
    {
        m_world = std::make_unique<ModelWorld>();
        m_opened.clear();
        m_openFailure.reset();
    }

    void cleanup()
    {
        m_world.reset();
        RuntimeLocator::setWellKnownDirectoriesOverride(std::nullopt);
    }

    void wirelessFailures_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        // A refused connect or pairing reaches the wireless screen's status line in its own test.
        QTest::newRow("to wireless") << u"enable"_s << u"This device is already connected wirelessly."_s;
        QTest::newRow("to usb") << u"usb"_s << u"The selected phone is no longer visible to ADB."_s;
    }

    void wirelessFailures()
    {
        QFETCH(QString, action);
        QFETCH(QString, message);
        m_world->sim.addPhone(wifiSerial, test::DevSim::Connection::Wireless);
        auto busy = recordFlag(&AppModel::wirelessBusyChanged, &AppModel::wirelessBusy);
        QCoro::Task<void> task = action == QLatin1String("enable") ? model().enableWirelessFromUSB(wifiSerial)
                                                                   : model().switchToUSB(u"NOSUCH"_s);
        await(std::move(task));
        QCOMPARE(model().wirelessMessage(), message);
        QCOMPARE(busy->values, (QList<bool>{true, false}));
        QVERIFY(model().rememberedWireless().isEmpty());
        QVERIFY(model().devices().isEmpty());
    }

    // A phone on USB and Wi-Fi is one phone with two ways to reach it; switching moves the session along.
    void movingBetweenUsbAndWifi()
    {
        connectPhone();
        await(model().launchCurrentMode());
        QCOMPARE(model().activeSessionSerials(), QSet<QString>{usbSerial});
        auto busy = recordFlag(&AppModel::wirelessBusyChanged, &AppModel::wirelessBusy);
        await(model().enableWirelessFromUSB(usbSerial));
        QCOMPARE(model().rememberedWireless().size(), 1);
        QCOMPARE(model().phones().first().key, usbSerial);
        QCOMPARE(model().activeSessionSerials(), QSet<QString>{wifiSerial});

        await(model().switchToUSB(wifiSerial));
        QCOMPARE(model().activeSessionSerials(), QSet<QString>{usbSerial});
        QCOMPARE(model().phones().size(), 1);
        QCOMPARE(model().phones().first().reach(), u"USB"_s);
        QCOMPARE(busy->values, (QList<bool>{true, false, true, false}));
        QCOMPARE(m_world->scrcpySessions().size(), 3);
        // Without a running session a switch moves only the phone: nothing starts on the new transport.
        await(model().stopSession());
        await(model().enableWirelessFromUSB(usbSerial));
        QCOMPARE(model().selectedSerial(), std::optional(wifiSerial));
        QVERIFY(model().activeSessionSerials().isEmpty());
        QCOMPARE(m_world->scrcpySessions().size(), 3);
    }

    void desktopProbe()
    {
        connectPhone();
        auto busy = recordFlag(&AppModel::desktopBusyChanged, &AppModel::desktopBusy);
        await(model().probeDesktop(usbSerial));
        QVERIFY(model().desktopCapabilities().has_value());
        QSignalSpy republished(&model(), &AppModel::desktopCapabilitiesChanged);
        await(model().probeDesktop(usbSerial));
        QCOMPARE(republished.count(), 0);
        QCOMPARE(busy->values, (QList<bool>{true, false, true, false}));

        const QString failure =
            failureText(DesktopService{m_world->sim.toolPaths(), {}}.probeCapabilities(u"NOSUCH"_s));
        await(model().probeDesktop(u"NOSUCH"_s));
        QCOMPARE(model().logLines().last(), u"Desktop probe failed: "_s + failure);
        QVERIFY(model().desktopCapabilities().has_value());
        QCOMPARE(busy->values.size(), 6);
        QVERIFY(!model().desktopBusy());
    }

    void desktopSettings()
    {
        connectPhone();
        const QString expected =
            failureText(DesktopService{m_world->sim.toolPaths(), {}}.enableDesktopExperience(u"NOSUCH"_s));
        await(model().enableDesktop(u"NOSUCH"_s, true));
        QCOMPARE(model().launchMessage(), expected);
        QVERIFY(model().launchFailed());
        QVERIFY(!model().desktopCapabilities());
        QVERIFY(!model().desktopChanging());

        // While the phone reboots the model holds launches back and refuses a second change.
        QCoro::Task<void> enabling = model().enableDesktop(usbSerial, true);
        QVERIFY(model().desktopChanging());
        QVERIFY(!model().canLaunch());
        await(model().restoreDesktop(usbSerial));
        await(std::move(enabling));
        // That a backup is offered afterwards, and that the change ends, is the Desktop screen's test.
        QCOMPARE(model().desktopActivity(), std::nullopt);
        QVERIFY(!model().launchFailed());
        QCOMPARE(model().launchMessage(),
                 text("Desktop settings enabled from a fresh backup, and the phone is "
                      "rebooting. Reconnect after the reboot; a restore remains available."));
        QVERIFY(model().logLines().contains(u"Rebooting the phone so the new windowing settings apply…"_s));
        QVERIFY(model().desktopCapabilities().has_value());
        await(model().restoreDesktop(usbSerial));
        QVERIFY(!model().launchFailed());
        QCOMPARE(
            model().launchMessage(),
            text("Android desktop settings restored to their previous values, and the phone is rebooting."));
        QVERIFY(!model().desktopCapabilities()->backupAvailable);
        await(model().restoreDesktop(usbSerial));
        QCOMPARE(model().launchMessage(), text("There is no settings backup for this device yet."));
        QVERIFY(model().launchFailed());

        // A restore that leaves settings behind keeps the backup and shows as not done.
        await(model().enableDesktop(usbSerial, true));
        m_world->sim.addFault(QStringList{u"shell"_s, u"settings"_s, u"delete"_s}, 1, u"error: closed\n"_s);
        await(model().restoreDesktop(usbSerial));
        QCOMPARE(
            model().launchMessage(),
            text(
                "Some Android desktop settings could not be restored, and the phone is rebooting. The backup "
                "is kept, so you can restore again."));
        QVERIFY(model().launchFailed());

        // No place to keep a backup: enable stops before the phone and the session bar says why.
        const auto puts = [this] {
            const QList<QStringList> calls = m_world->sim.callArguments(u"adb"_s);
            return std::count_if(calls.cbegin(), calls.cend(),
                                 [](const QStringList &call) { return call.contains(u"put"_s); });
        };
        const auto putsBefore = puts();
        const QString folder = AppPaths::appSupportFolder();
        QVERIFY(QDir(folder).removeRecursively());
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString unsaved =
            failureText(DesktopService{m_world->sim.toolPaths(), {}}.enableDesktopExperience(usbSerial));
        QVERIFY2(unsaved.startsWith(
                     u"Desktop settings cannot be enabled: the settings backup cannot be opened ("_s),
                 qPrintable(unsaved));
        await(model().enableDesktop(usbSerial, true));
        QCOMPARE(model().launchMessage(), unsaved);
        QVERIFY(model().launchFailed());
        QCOMPARE(puts(), putsBefore);
    }

    void cameraProbe()
    {
        connectPhone();
        auto busy = recordFlag(&AppModel::probingCamerasChanged, &AppModel::probingCameras);
        await(model().probeCameras(usbSerial));
        QVERIFY(model().cameraCapabilities().has_value());
        const QString failure =
            failureText(CameraService{m_world->sim.toolPaths()}.listCapabilities(u"NOSUCH"_s));
        await(model().probeCameras(u"NOSUCH"_s));
        QCOMPARE(model().logLines(), QStringList{u"Camera probe failed: "_s + failure});
        QVERIFY(model().cameraCapabilities().has_value());
        QCOMPARE(busy->values, (QList<bool>{true, false, true, false}));
    }

    void folders()
    {
        model().setMediaRootOverride(m_world->home.path() + u"/Media"_s);
        model().openMediaFolder();
        QCOMPARE(model().launchMessage(), u"Opened media folder — "_s + m_world->home.path() + u"/Media"_s);
        model().setRecordingsRootOverride(u"~/Clips"_s);
        model().openRecordingsFolder();
        QCOMPARE(m_opened.last(), m_world->home.path() + u"/Clips"_s);
        QCOMPARE(model().launchMessage(), u"Opened recordings folder — "_s + m_opened.last());
        model().openDesktopDiagnostics();
        QCOMPARE(m_opened.last(), AppPaths::desktopDiagnosticsFolder());
        QCOMPARE(model().launchMessage(), u"Opened Desktop Diagnostics — "_s + m_opened.last());
        QVERIFY(!model().launchFailed());
        m_openFailure = u"No file manager."_s;
        model().openMediaFolder();
        QCOMPARE(model().launchMessage(), text("No file manager."));
        QVERIFY(model().launchFailed());
        model().openDesktopDiagnostics();
        QCOMPARE(model().launchMessage(), text("Could not open Desktop Diagnostics."));
    }

    void pushFile()
    {
        Recorder<std::optional<QString>> status(&model(), &AppModel::fileTransferStatusChanged,
                                                [this] { return model().fileTransferStatus(); });
        const QString notes = m_world->home.file(u"notes.pdf"_s);
        QFile file(notes);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("%PDF-1.7");
        file.close();
        await(model().pushFiles({notes}));
        QCOMPARE(status.values, (QList<std::optional<QString>>{text("No device selected.")}));

        connectPhone();
        await(model().pushFiles({notes}));
        QCOMPARE(status.values.mid(1),
                 (QList<std::optional<QString>>{text("Pushing notes.pdf…"),
                                                text("Sent notes.pdf to /sdcard/Download.")}));
        QVERIFY(m_world->sim.callArguments(u"adb"_s).contains(
            QStringList{u"-s"_s, usbSerial, u"push"_s, notes, u"/sdcard/Download/"_s}));

        m_world->sim.addFault({u"push"_s}, 1, u"adb: error: remote read-only"_s);
        await(model().pushFiles({notes}));
        QCOMPARE(model().fileTransferStatus(), text("Failed: adb: error: remote read-only (exit code 1)"));
        QCOMPARE(m_world->notifier.told,
                 (QList<QStringList>{
                     {u"File sent"_s, u"Sent notes.pdf to /sdcard/Download."_s},
                     {u"File push failed"_s, u"Failed: adb: error: remote read-only (exit code 1)"_s}}));
    }

    // A drop of several files: each is pushed in turn; Cancel pushes none of those still waiting, lets the
    // one on its way finish, and the last line never counts a cancelled file as sent.
    void multiFileDropPushesEachInTurnAndCancelStopsTheRest()
    {
        connectPhone();
        const auto files = [this](const QStringList &names) {
            QStringList paths;
            for (const QString &name : names) {
                QFile file(m_world->home.file(name));
                if (name != QLatin1String("gone.jpg") && file.open(QIODevice::WriteOnly))
                    file.write("JFIF");
                paths.append(file.fileName());
            }
            return paths;
        };
        Recorder<std::optional<QString>> status(&model(), &AppModel::fileTransferStatusChanged,
                                                [this] { return model().fileTransferStatus(); });
        await(model().pushFiles(files({u"a.jpg"_s, u"gone.jpg"_s, u"c.jpg"_s})));
        const QString gone = m_world->home.file(u"gone.jpg"_s);
        const QString failed = u"Sent 2 of 3 files to /sdcard/Download. gone.jpg: Failed: adb: error: "
                               "cannot stat '%1': No such file or directory (exit code 1)"_s.arg(gone);
        QCOMPARE(status.values, (QList<std::optional<QString>>{text("Pushing a.jpg (1 of 3)…"),
                                                               text("Pushing gone.jpg (2 of 3)…"),
                                                               text("Pushing c.jpg (3 of 3)…"), failed}));
        QCOMPARE(m_world->notifier.told.last(), (QStringList{u"File push failed"_s, failed}));

        status.values.clear();
        const QMetaObject::Connection cancelling =
            connect(&model(), &AppModel::fileTransferStatusChanged, this, [this] {
                if (model().fileTransferStatus() == text("Pushing e.jpg (2 of 4)…"))
                    model().filePushes()->cancel();
            });
        await(model().pushFiles(files({u"d.jpg"_s, u"e.jpg"_s, u"f.jpg"_s, u"g.jpg"_s})));
        disconnect(cancelling);
        QCOMPARE(status.values,
                 (QList<std::optional<QString>>{
                     text("Pushing d.jpg (1 of 4)…"), text("Pushing e.jpg (2 of 4)…"),
                     text("Cancelled 2 files still waiting; e.jpg is on its way and finishes first…"),
                     text("Cancelled: sent 2 of 4 files to /sdcard/Download; 2 not pushed.")}));
        QCOMPARE(model().fileTransferTone(), MessageTone::Failure);
        QVERIFY(!model().filePushes()->running());
        QStringList pushed;
        for (const QStringList &call : m_world->sim.callArguments(u"adb"_s)) {
            if (call.value(2) == QLatin1String("push"))
                pushed.append(QFileInfo(call.value(3)).fileName());
        }
        QCOMPARE(pushed, (QStringList{u"a.jpg"_s, u"gone.jpg"_s, u"c.jpg"_s, u"d.jpg"_s, u"e.jpg"_s}));
        const QStringList onPhone = m_world->sim.phone(u"phone1"_s).read()[u"files"_s].toObject().keys();
        QCOMPARE(onPhone, (QStringList{u"/sdcard/Download/a.jpg"_s, u"/sdcard/Download/c.jpg"_s,
                                       u"/sdcard/Download/d.jpg"_s, u"/sdcard/Download/e.jpg"_s}));
    }

    void pushSizeLimit_data()
    {
        // Space-separated entries: "path=size" for a (sparse) file, "path->target" for a symbolic link.
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("pushed");
        QTest::addColumn<QString>("status");
        // Where a single size stops being allowed is the media service's test.
        QTest::newRow("folder one byte over")
            << u"album/a.bin=262144000 album/.deep/b.bin=262144001"_s << u"album"_s
            << u"Folder “album” is too large (>500 MB in all)."_s;
        QTest::newRow("links out of the folder are not counted")
            << u"outside.bin=524288001 album/a.bin=1 album/file->../outside.bin album/up->.."_s << u"album/"_s
            << u"Sent album to /sdcard/Download."_s;
    }

    void pushSizeLimit()
    {
        QFETCH(QString, layout);
        QFETCH(QString, pushed);
        QFETCH(QString, status);
        connectPhone();
        for (const QString &entry : layout.split(QLatin1Char(' '))) {
            const QString path = m_world->home.file(entry.section(QRegularExpression(u"=|->"_s), 0, 0));
            if (entry.contains(u"->"_s)) {
                QVERIFY(QFile::link(entry.section(u"->"_s, 1), path));
                continue;
            }
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(entry.section(QLatin1Char('='), 1).toLongLong()));
        }
        await(model().pushFiles({m_world->home.file(pushed)}));
        QCOMPARE(model().fileTransferStatus().value_or(QString()), status);
    }

    void pushWithoutADeviceBridge()
    {
        connectPhone();
        model().setCustomADBPath(QString());
        RuntimeLocator::setWellKnownDirectoriesOverride(QStringList{});
        qputenv("PATH", m_world->home.path().toUtf8());
        await(model().pushFiles({m_world->home.file(u"notes.pdf"_s)}));
        QCOMPARE(model().fileTransferStatus(), text("Device bridge missing."));
    }

    void doctor_data()
    {
        QTest::addColumn<HostDesktop::Kind>("desktop");
        QTest::addColumn<bool>("xwayland");
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<QString>("finding");
        QTest::newRow("X11") << HostDesktop::Kind::X11 << false << true << u"Keyboard shortcuts ready"_s;
        QTest::newRow("X11 without XTEST")
            << HostDesktop::Kind::X11 << false << false << u"Keyboard shortcuts unavailable"_s;
        // XWayland answers, but the mirror windows would be Wayland windows keys cannot reach.
        QTest::newRow("Wayland") << HostDesktop::Kind::Wayland << false << true
                                 << u"Live toggles need an X11 window"_s;
        QTest::newRow("Wayland through XWayland")
            << HostDesktop::Kind::Wayland << true << true << u"Keyboard shortcuts ready"_s;
    }

    void doctor()
    {
        QFETCH(HostDesktop::Kind, desktop);
        QFETCH(bool, xwayland);
        QFETCH(bool, trusted);
        QFETCH(QString, finding);
        m_world->platform.host = HostDesktop(desktop);
        m_world->platform.trusted = trusted;
        model().setMirrorThroughXWayland(xwayland);
        auto busy = recordFlag(&AppModel::doctorRunningChanged, &AppModel::doctorRunning);
        await(model().runDoctor());
        QCOMPARE(busy->values, (QList<bool>{true, false}));
        QStringList titles;
        for (const DoctorFinding &each : model().doctorFindings())
            titles << each.title;
        QVERIFY2(titles.contains(finding), qPrintable(titles.join(QLatin1Char('|'))));
        QVERIFY(titles.contains(u"ADB ready"_s));
    }

    void recommendation()
    {
        connectPhone();
        // The recommendation builds on the selection's inspection: the phone is not asked a second time.
        const qsizetype calls = m_world->sim.calls().size();
        await(model().recommend(u"mirror"_s));
        QCOMPARE(m_world->sim.calls().size(), calls);
        QVERIFY(model().mirrorRecommendation().has_value());
        QCOMPARE(model().launchMessage(), std::nullopt);

        m_world->sim.phone(u"phone1"_s).state(u"unauthorized"_s);
        const QString failure = failureText(ADBService{m_world->sim.toolPaths()}.inspectDevice(usbSerial));
        await(model().recommend(u"mirror"_s, AppModel::Inspection::Fresh));
        QCOMPARE(model().launchMessage(), failure);
        QVERIFY(model().launchFailed());
    }

    // The first phone's answers come late, after the user has picked the second one.
    void answersAboutAPhoneNoLongerPickedAreDropped()
    {
        const QString other = u"R5CW20OTHER"_s;
        connectPhone();
        m_world->sim.addPhone(other).model(u"Galaxy S23"_s);
        await(model().refreshDevices());
        m_world->sim.addFault(QJsonObject{{u"tool"_s, u"adb"_s},
                                          {u"serial"_s, usbSerial},
                                          {u"args"_s, QJsonArray{u"shell"_s}},
                                          {u"delayMs"_s, 250}});
        model().setSelectedSerial(other);
        model().setSelectedSerial(usbSerial);
        QCoro::Task<void> lateRecommendation = model().recommend(u"mirror"_s);
        model().setSelectedSerial(other);
        QTRY_COMPARE(model().deviceProfile() ? model().deviceProfile()->model : QString(), u"Galaxy S23"_s);
        await(std::move(lateRecommendation));
        // The late inspection started by picking the first phone again has ended too.
        QTRY_VERIFY(childProcessOwner()->findChildren<QProcess *>().isEmpty());
        QCOMPARE(model().deviceProfile()->model, u"Galaxy S23"_s);
        QCOMPARE(model().mirrorRecommendation(), std::nullopt);
    }

    void resetToAuto_data()
    {
        QTest::addColumn<SidebarMode>("mode");
        QTest::addColumn<QString>("message");
        QTest::newRow("mirror") << SidebarMode::Mirror
                                << u"Mirror settings restored to the automatic profile."_s;
        QTest::newRow("camera") << SidebarMode::Camera
                                << u"Camera settings restored to the automatic profile."_s;
        QTest::newRow("desktop") << SidebarMode::Desktop
                                 << u"Desktop settings restored to the automatic profile."_s;
    }

    void resetToAuto()
    {
        QFETCH(SidebarMode, mode);
        QFETCH(QString, message);
        auto busy = recordFlag(&AppModel::resettingToAutoChanged, &AppModel::resettingToAuto);
        await(model().resetToAuto());
        QCOMPARE(busy->values, (QList<bool>{true, false}));
        QCOMPARE(model().launchMessage(), std::nullopt);

        connectPhone();
        QTRY_VERIFY(model().deviceProfile().has_value());
        model().setSelectedMode(mode);
        MirrorPhoneSettings &mirror = *model().mirrorState();
        mirror.setVideoBitRate(20);
        mirror.setCrop(u"1080:1920:0:0"_s);
        CameraSettings &camera = *model().cameraState();
        await(model().probeCameras(usbSerial));
        camera.setUseExplicitCameraID(true);
        camera.setZoom(3.0);
        camera.setAspectRatio(u"4:3"_s);
        DesktopSettings &desktop = *model().desktopState();
        desktop.setWidth(1600);
        desktop.setFlex(true);
        desktop.setNoDecorations(true);
        desktop.setKeepContent(true);
        desktop.setAudio(true);
        desktop.setFullscreen(true);
        desktop.setStartApp(u"com.example.launcher"_s);

        await(model().resetToAuto());
        QCOMPARE(model().launchMessage(), message);
        QVERIFY(!model().launchFailed());
        QCOMPARE(busy->values.size(), 4);
        QVERIFY(model().mirrorRecommendation().has_value());
        QCOMPARE(mirror.videoBitRate(), mode == SidebarMode::Mirror ? 8.0 : 20.0);
        QCOMPARE(mirror.crop().isEmpty(), mode == SidebarMode::Mirror);
        QCOMPARE(camera.zoom(), mode == SidebarMode::Camera ? 1.0 : 3.0);
        QCOMPARE(camera.useExplicitCameraID(), mode != SidebarMode::Camera);
        if (mode == SidebarMode::Camera) {
            QCOMPARE(camera.cameraId(), model().cameraCapabilities()->recommendedCameraId);
            QCOMPARE(camera.aspectRatio(), u"auto"_s);
        }
        // Without a desktop probe the geometry stays as the user set it.
        QCOMPARE(desktop.width(), 1600u);
        // On the Desktop screen every choice made there is cleared.
        QCOMPARE((QList<bool>{desktop.flex(), desktop.noDecorations(), desktop.keepContent(), desktop.audio(),
                              desktop.fullscreen()}),
                 QList<bool>(5, mode != SidebarMode::Desktop));
        QCOMPARE(desktop.startApp().isEmpty(), mode == SidebarMode::Desktop);
    }

    void presets()
    {
        SavedProfile fast;
        fast.id = QUuid::createUuid();
        fast.name = u"Fast"_s;
        fast.mode = u"mirror"_s;
        fast.maxSize = 1280;
        fast.maxFps = 90;
        fast.codec = u"h265"_s;
        fast.bitrate = u"fast"_s;
        SavedProfileStore{}.save({fast});
        model().setOnboardingCompleted(true);
        model().start();
        QCOMPARE(model().profiles(), QList<SavedProfile>{fast});

        model().mirrorState()->setVideoBitRate(12.5);
        model().applyProfile(fast.id);
        QCOMPARE(model().mirrorState()->maxFps(), 90u);
        QCOMPARE(model().mirrorState()->codec(), u"h265"_s);
        QVERIFY(!model().mirrorState()->audio());
        QCOMPARE(model().mirrorState()->videoBitRate(), 12.5);

        model().mirrorState()->setIsCreatorMode(true);
        model().mirrorState()->setVideoBitRate(8.0);
        model().saveProfile(u"Profile 2"_s);
        const SavedProfile saved = model().profiles().last();
        QCOMPARE(saved.mode, u"creator"_s);
        QCOMPARE(saved.bitrate, u"8.0"_s);
        QCOMPARE(SavedProfileStore{}.load(), model().profiles());

        model().mirrorState()->setVideoBitRate(3.0);
        model().applyProfile(saved.id);
        QCOMPARE(model().mirrorState()->videoBitRate(), 8.0);
        model().applyProfile(QUuid::createUuid());
        QCOMPARE(model().mirrorState()->maxFps(), 90u);

        model().deleteProfile(fast.id);
        QCOMPARE(model().profiles(), QList<SavedProfile>{saved});
        QCOMPARE(SavedProfileStore{}.load(), QList<SavedProfile>{saved});

        // A presets file gone bad meanwhile is kept aside (the store's test checks the copy and the
        // sentence); the session bar and the log tell the user.
        QFile file(SavedProfileStore::url());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("{\"profiles\": 3}");
        file.close();
        model().deleteProfile(saved.id);
        QTRY_VERIFY(model().launchMessage().value_or(QString()).startsWith(u"Your presets file could not"_s));
        QVERIFY(model().launchFailed());
        QCOMPARE(model().logLines().last(), model().launchMessage());
        QVERIFY(SavedProfileStore{}.load().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestModelActions)
#include "tst_modelactions.moc"
