#include "AppModel.h"
#include "CameraSettings.h"
#include "DesktopSettings.h"
#include "MirrorPhoneSettings.h"
#include "OnboardingGuide.h"
#include "SidebarMode.h"

#include <QSignalSpy>
#include <QTest>

using namespace quorvane;
using namespace quorvane::app;
using namespace Qt::StringLiterals;

namespace {

const QString serial = u"PIXEL8"_s;

LaunchConfig defaultMirrorRecord()
{
    MirrorPhoneSettings settings;
    return settings.launchConfig(serial, u"mirror"_s);
}

} // namespace

// The per-mode settings objects, the restart rule and the sidebar's modes: pure rules, no devices.
class TestModeSettings final : public QObject
{
    Q_OBJECT

private slots:
    void mirrorRecord_data()
    {
        QTest::addColumn<std::function<void(MirrorPhoneSettings &)>>("edit");
        QTest::addColumn<std::function<bool(const LaunchConfig &)>>("holds");
        using Edit = std::function<void(MirrorPhoneSettings &)>;
        using Check = std::function<bool(const LaunchConfig &)>;
        QTest::newRow("8.5 rounds up") << Edit([](auto &s) { s.setVideoBitRate(8.5); })
                                       << Check([](const LaunchConfig &c) { return c.videoBitRate == 9; });
        QTest::newRow("8.4 rounds down") << Edit([](auto &s) { s.setVideoBitRate(8.4); })
                                         << Check([](const LaunchConfig &c) { return c.videoBitRate == 8; });
        QTest::newRow("audio off") << Edit([](auto &s) { s.setAudio(false); })
                                   << Check([](const LaunchConfig &c) { return c.audioSource == u"off"_s; });
        QTest::newRow("encoder and crop") << Edit([](auto &s) {
            s.setVideoEncoder(u"c2.exynos.h264.encoder"_s);
            s.setCrop(u"1080:1920:0:0"_s);
        }) << Check([](const LaunchConfig &c) {
            return c.videoEncoder == u"c2.exynos.h264.encoder"_s && c.crop == u"1080:1920:0:0"_s;
        });
        QTest::newRow("empty encoder and crop are absent") << Edit([](auto &s) {
            s.setVideoEncoder(QString());
            s.setCrop(QString());
        }) << Check([](const LaunchConfig &c) { return !c.videoEncoder && !c.crop; });
    }

    void mirrorRecord()
    {
        QFETCH(std::function<void(MirrorPhoneSettings &)>, edit);
        QFETCH(std::function<bool(const LaunchConfig &)>, holds);
        MirrorPhoneSettings settings;
        edit(settings);
        QVERIFY(holds(settings.launchConfig(serial, u"mirror"_s)));
    }

    void cameraRecord()
    {
        CameraSettings settings;
        LaunchConfig config = settings.launchConfig(serial);
        QCOMPARE(config.mode, u"camera"_s);
        QCOMPARE(config.cameraFacing, u"back"_s);
        QCOMPARE(config.cameraAspectRatio, u"auto"_s);
        QCOMPARE(config.audioSource, u"mic"_s);
        QVERIFY(!config.stayAwake && !config.cameraZoom && !config.cameraId);

        // An explicit camera without an id names no camera at all; a size replaces the aspect ratio.
        settings.setUseExplicitCameraID(true);
        settings.setCameraSize(u"1920x1080"_s);
        config = settings.launchConfig(serial);
        QVERIFY(!config.cameraId && !config.cameraFacing);
        QCOMPARE(config.cameraSize, u"1920x1080"_s);
        QVERIFY(!config.cameraAspectRatio);
    }

    void desktopRecord()
    {
        DesktopSettings settings;
        DesktopCapabilities capabilities;
        capabilities.environmentKind = u"samsungDex"_s;
        capabilities.existingDisplayId = 2;
        const LaunchConfig config = settings.launchConfig(serial, capabilities);
        QCOMPARE(config.mode, u"desktop"_s);
        QVERIFY(config.stayAwake);
        QCOMPARE(config.desktopEnvironment, u"samsungDex"_s);
        QCOMPARE(config.desktopDisplayId, 2u);
        const LaunchConfig bare = settings.launchConfig(serial, std::nullopt);
        QVERIFY(!bare.desktopEnvironment && !bare.desktopDisplayId);
        settings.setAudio(false);
        QCOMPARE(settings.launchConfig(serial, std::nullopt).audioSource, u"off"_s);
    }

    void capabilitiesFillOnlyAnUneditedGeometry()
    {
        DesktopCapabilities capabilities;
        capabilities.recommendedWidth = 2560;
        capabilities.recommendedHeight = 1440;
        capabilities.recommendedDensity = 320;
        DesktopSettings settings;
        settings.applyCapabilitiesIfEmpty(std::nullopt);
        QCOMPARE(settings.width(), 1920u);
        settings.applyCapabilitiesIfEmpty(capabilities);
        QCOMPARE((QList<quint32>{settings.width(), settings.height(), settings.density()}),
                 (QList<quint32>{2560, 1440, 320}));

        DesktopSettings edited;
        edited.setDensity(280);
        edited.applyCapabilitiesIfEmpty(capabilities);
        QCOMPARE((QList<quint32>{edited.width(), edited.height(), edited.density()}),
                 (QList<quint32>{1920, 1080, 280}));
    }

    void notifiesOnlyRealChanges()
    {
        MirrorPhoneSettings settings;
        QSignalSpy fps(&settings, &MirrorPhoneSettings::maxFpsChanged);
        QSignalSpy orientation(&settings, &MirrorPhoneSettings::captureOrientationChanged);
        QSignalSpy any(&settings, &ModeSettings::changed);
        settings.setMaxFps(60);
        settings.setCaptureOrientation(std::nullopt);
        QCOMPARE(any.count(), 0);
        settings.setMaxFps(30);
        settings.setMaxFps(30);
        settings.setCaptureOrientation(u"90"_s);
        QCOMPARE(fps.count(), 1);
        QCOMPARE(orientation.count(), 1);
        QCOMPARE(any.count(), 2);
    }

    void recommendationsTouchOnlyTheirFields()
    {
        Recommendation recommendation;
        recommendation.mode = u"creator"_s;
        recommendation.maxSize = 1600;
        recommendation.maxFps = 30;
        recommendation.codec = u"h265"_s;
        recommendation.stayAwake = false;
        recommendation.showTouches = true;
        MirrorPhoneSettings mirror;
        mirror.setVideoBitRate(20);
        mirror.setTurnScreenOff(true);
        mirror.apply(recommendation);
        QCOMPARE(mirror.maxSize(), 1600u);
        QCOMPARE(mirror.codec(), u"h265"_s);
        QVERIFY(mirror.isCreatorMode() && mirror.showTouches() && !mirror.stayAwake() && !mirror.audio());
        QCOMPARE(mirror.videoBitRate(), 20.0);
        QVERIFY(mirror.turnScreenOff());

        CameraSettings camera;
        camera.apply(recommendation);
        QCOMPARE(camera.maxFps(), 30u);
        QCOMPARE(camera.cameraFacing(), u"back"_s);
        QCOMPARE(camera.videoBitRate(), 8.0);
    }

    void restartRule_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("restart");
        const QStringList fields{u"fullscreen"_s,  u"stayAwake"_s,   u"turnScreenOff"_s,
                                 u"showTouches"_s, u"cameraTorch"_s, u"maxFps"_s};
        const QList<std::pair<QString, QList<bool>>> table{
            {u"mirror"_s, {false, false, false, false, true, true}},
            {u"creator"_s, {false, false, false, false, true, true}},
            {u"camera"_s, {false, true, true, true, false, true}},
            {u"desktop"_s, {false, true, true, true, true, true}},
        };
        for (const auto &[mode, restarts] : table) {
            for (qsizetype index = 0; index < fields.size(); ++index)
                QTest::addRow("%s %s", qPrintable(mode), qPrintable(fields[index]))
                    << mode << fields[index] << restarts[index];
        }
    }

    void restartRule()
    {
        QFETCH(QString, mode);
        QFETCH(QString, field);
        QFETCH(bool, restart);
        LaunchConfig applied = defaultMirrorRecord();
        applied.mode = mode;
        LaunchConfig pending = applied;
        if (field == QLatin1String("maxFps"))
            pending.maxFps = 30;
        else if (field == QLatin1String("fullscreen"))
            pending.fullscreen = !pending.fullscreen;
        else if (field == QLatin1String("stayAwake"))
            pending.stayAwake = !pending.stayAwake;
        else if (field == QLatin1String("turnScreenOff"))
            pending.turnScreenOff = !pending.turnScreenOff;
        else if (field == QLatin1String("showTouches"))
            pending.showTouches = !pending.showTouches;
        else
            pending.cameraTorch = !pending.cameraTorch;
        QCOMPARE(AppModel::requiresRestart(pending, applied), restart);
        QVERIFY(!AppModel::requiresRestart(applied, applied));
    }

    void sidebarModes()
    {
        for (const SidebarMode mode : allSidebarModes())
            QCOMPARE(sidebarModeFromTitle(title(mode)), mode);
        QCOMPARE(sidebarModeFromTitle(u"mirror phone"_s), std::nullopt);
        QCOMPARE(sidebarModeFromTitle(QString()), std::nullopt);
    }

    void vendorPaths()
    {
        QCOMPARE(OnboardingGuide::vendorPath(u"Xiaomi"_s),
                 u"Settings → About phone → tap 'MIUI version' 7 times → back → Additional "
                 "settings → Developer options → USB debugging"_s);
        QCOMPARE(OnboardingGuide::vendorPath(u"Nokia"_s), OnboardingGuide::vendorPath(u"Other"_s));
    }
};

QTEST_GUILESS_MAIN(TestModeSettings)
#include "tst_modesettings.moc"
