#include "ErrorCatalog.h"
#include "FallbackProfiles.h"

#include <QTest>

#include <functional>

using namespace quorvane;

namespace {

using Change = std::function<void(LaunchConfig &)>;

LaunchConfig record(const char *mode, const Change &change)
{
    LaunchConfig config = LaunchConfig::defaultRecord();
    config.serial = QStringLiteral("ABC");
    config.mode = QString::fromUtf8(mode);
    change(config);
    return config;
}

// The expected ladder: the input, then one rung per change, each applied on top of the rung before.
QList<LaunchConfig> rungs(const LaunchConfig &input, const QList<Change> &changes)
{
    QList<LaunchConfig> ladder{input};
    for (const Change &change : changes) {
        LaunchConfig next = ladder.last();
        change(next);
        ladder.append(next);
    }
    return ladder;
}

const Change noEncoder = [](LaunchConfig &c) { c.videoEncoder.reset(); };
const Change h264 = [](LaunchConfig &c) { c.codec = QStringLiteral("h264"); };
const Change size1280 = [](LaunchConfig &c) { c.maxSize = 1280; };
const Change fps30 = [](LaunchConfig &c) { c.maxFps = 30; };
const Change smallDisplay = [](LaunchConfig &c) {
    c.desktopWidth = 1280;
    c.desktopHeight = 720;
    c.desktopDensity = 200;
};
const Change unchanged = [](LaunchConfig &) {};

} // namespace

class TestFallbackProfiles final : public QObject
{
    Q_OBJECT

private slots:
    void variants_data()
    {
        QTest::addColumn<LaunchConfig>("input");
        QTest::addColumn<QList<LaunchConfig>>("expected");

        const auto row = [](const char *name, const LaunchConfig &input, const QList<Change> &changes) {
            QTest::newRow(name) << input << rungs(input, changes);
        };

        // Mirror table.
        row("mirror with nothing to relax",
            record("mirror",
                   [](LaunchConfig &c) {
                       c.maxSize = 1280;
                       c.maxFps = 30;
                   }),
            {});
        row("mirror relaxes everything in order",
            record("mirror",
                   [](LaunchConfig &c) {
                       c.videoEncoder = QStringLiteral("c2.qti.hevc.encoder");
                       c.codec = QStringLiteral("h265");
                       c.maxSize = 1920;
                       c.maxFps = 60;
                   }),
            {noEncoder, h264, size1280, fps30});
        row("unknown mode uses the mirror table", record("", [](LaunchConfig &c) { c.maxSize = 2560; }),
            {size1280});
        row("no limit is never lowered",
            record("mirror",
                   [](LaunchConfig &c) {
                       c.codec = QStringLiteral("h265");
                       c.maxSize = 0;
                       c.maxFps = 0;
                   }),
            {h264});
        row("just above the limits",
            record("mirror",
                   [](LaunchConfig &c) {
                       c.maxSize = 1281;
                       c.maxFps = 31;
                   }),
            {size1280, fps30});
        row("upper-case codec is relaxed",
            record("mirror", [](LaunchConfig &c) { c.codec = QStringLiteral("H264"); }), {h264});
        row("empty encoder name still counts as set",
            record("mirror", [](LaunchConfig &c) { c.videoEncoder = QString(); }), {noEncoder});

        // Desktop table.
        row("small display keeps its density",
            record("desktop",
                   [](LaunchConfig &c) {
                       c.desktopWidth = 1280;
                       c.desktopHeight = 720;
                       c.desktopDensity = 320;
                       c.maxFps = 60;
                   }),
            {fps30});
        row("automatic size always gets the small rung",
            record("desktop", [](LaunchConfig &c) { c.desktopWidth = 1024; }), {smallDisplay});
        row("one side too large",
            record("desktop",
                   [](LaunchConfig &c) {
                       c.desktopWidth = 1280;
                       c.desktopHeight = 721;
                   }),
            {smallDisplay});
        row("desktop relaxes everything in order",
            record("desktop",
                   [](LaunchConfig &c) {
                       c.desktopNoDecorations = true;
                       c.desktopFlex = true;
                       c.desktopWidth = 2560;
                       c.desktopHeight = 1440;
                       c.videoEncoder = QStringLiteral("c2.qti.avc.encoder");
                       c.codec = QStringLiteral("h265");
                       c.maxFps = 60;
                       c.maxSize = 1920;
                   }),
            {[](LaunchConfig &c) { c.desktopNoDecorations = false; },
             [](LaunchConfig &c) { c.desktopFlex = false; }, smallDisplay, noEncoder, h264, fps30});
        row("dex skips the display rungs",
            record("desktop",
                   [](LaunchConfig &c) {
                       c.desktopEnvironment = QStringLiteral("samsung_dex");
                       c.desktopNoDecorations = true;
                       c.desktopFlex = true;
                       c.codec = QStringLiteral("h265");
                       c.maxFps = 60;
                   }),
            {h264, fps30});

        // Camera table.
        row("high speed at 60 fps keeps the rate for the rate rung",
            record("camera",
                   [](LaunchConfig &c) {
                       c.cameraHighSpeed = true;
                       c.maxFps = 60;
                   }),
            {[](LaunchConfig &c) { c.cameraHighSpeed = false; }, fps30});
        row("high speed at 61 fps",
            record("camera",
                   [](LaunchConfig &c) {
                       c.cameraHighSpeed = true;
                       c.maxFps = 61;
                   }),
            {[](LaunchConfig &c) {
                 c.cameraHighSpeed = false;
                 c.maxFps = 30;
             },
             unchanged});
        row("size without high speed is kept",
            record("camera", [](LaunchConfig &c) { c.cameraSize = QStringLiteral("1280x720"); }), {});
        row("zoom 1.01 stays", record("camera", [](LaunchConfig &c) { c.cameraZoom = 1.01; }), {});
        row("zoom 1.02 goes", record("camera", [](LaunchConfig &c) { c.cameraZoom = 1.02; }),
            {[](LaunchConfig &c) { c.cameraZoom.reset(); }});
        row("camera id alone stays",
            record("camera", [](LaunchConfig &c) { c.cameraId = QStringLiteral("0"); }), {});
        row("camera relaxes everything in order",
            record("camera",
                   [](LaunchConfig &c) {
                       c.cameraHighSpeed = true;
                       c.cameraSize = QStringLiteral("1920x1080");
                       c.maxFps = 120;
                       c.cameraTorch = true;
                       c.cameraZoom = 3.0;
                       c.cameraAspectRatio = QStringLiteral("16:9");
                       c.videoEncoder = QStringLiteral("c2.qti.avc.encoder");
                       c.codec = QStringLiteral("av1");
                       c.maxSize = 1920;
                       c.cameraId = QStringLiteral("1");
                       c.cameraFacing = QStringLiteral("front");
                   }),
            {[](LaunchConfig &c) {
                 c.cameraHighSpeed = false;
                 c.cameraSize.reset();
                 c.maxFps = 30;
             },
             [](LaunchConfig &c) { c.cameraTorch = false; }, [](LaunchConfig &c) { c.cameraZoom.reset(); },
             [](LaunchConfig &c) { c.cameraAspectRatio.reset(); }, noEncoder, h264, unchanged, size1280,
             [](LaunchConfig &c) { c.cameraId.reset(); }});
    }

    void variants()
    {
        QFETCH(LaunchConfig, input);
        QFETCH(QList<LaunchConfig>, expected);
        const QList<LaunchConfig> ladder = FallbackProfiles::variants(input);
        QCOMPARE(ladder.size(), expected.size());
        for (qsizetype i = 0; i < ladder.size(); ++i)
            QVERIFY2(ladder[i] == expected[i], qPrintable(QStringLiteral("rung %1 differs").arg(i)));
    }

    // Which line of a tool's output explains it; every known line itself is covered through the simulator.
    void find_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("the cause wins over the line that follows it")
            << "INFO: Renderer: opengl\nERROR: Demuxer 'video': stream disabled due to missing decoder\n"
               "ERROR: Server connection failed"
            << "decoder-missing" << QStringList{QStringLiteral("video")};
        QTest::newRow("a warning loses to any error") << "[server] WARN: Audio disabled: it is not supported "
                                                         "before Android 11\nERROR: Server connection failed"
                                                      << "server-connection-failed" << QStringList{};
        QTest::newRow("numbers taken apart")
            << "adb server version (41) doesn't match this client (39); killing...\n* daemon started "
               "successfully"
            << "adb-server-mismatch" << QStringList{QStringLiteral("41"), QStringLiteral("39")};
        QTest::newRow("a log label before scrcpy's words") << "scrcpy: ERROR: Could not find any ADB device"
                                                           << "no-device" << QStringList{};
        QTest::newRow("unknown") << "adb: protocol fault (exit code 1)" << QString() << QStringList{};
    }

    void find()
    {
        QFETCH(QString, text);
        QFETCH(QString, id);
        QFETCH(QStringList, parts);
        const std::optional<KnownErrorMatch> match = ErrorCatalog::find(text);
        QCOMPARE(match ? match->error.id : QString(), id);
        if (match)
            QCOMPARE(match->parts, parts);
    }

    // Explaining twice, or explaining nothing known, changes nothing.
    void explainedOnce()
    {
        const QString raw = QStringLiteral("adb: device offline (exit code 1)");
        const QString once = ErrorCatalog::explained(raw);
        QCOMPARE(once,
                 QStringLiteral("Phone connection is half-open: adb sees the phone but it does not answer, "
                                "often after sleep or a cable glitch. Replug the phone, or run adb "
                                "reconnect offline.\n") +
                     raw);
        QCOMPARE(ErrorCatalog::explained(once), once);
        QCOMPARE(ErrorCatalog::explained(QStringLiteral("adb: protocol fault")),
                 QStringLiteral("adb: protocol fault"));
    }

    // A refusal with nothing left to change, or an error the rungs cannot help, walks on one rung.
    void noLeapWithoutAChange()
    {
        LaunchConfig config = LaunchConfig::defaultRecord();
        config.maxSize = 1280;
        config.maxFps = 60;
        const QList<LaunchConfig> ladder = FallbackProfiles::variants(config);
        QVERIFY(!FallbackProfiles::leap(ladder, 0, ErrorCatalog::encoderRefused));
        config.codec = QStringLiteral("h265");
        QVERIFY(!FallbackProfiles::leap(FallbackProfiles::variants(config), 0, QStringLiteral("no-device")));
    }
};

QTEST_GUILESS_MAIN(TestFallbackProfiles)
#include "tst_fallbackprofiles.moc"
