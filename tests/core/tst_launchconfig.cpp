// The launch record: its JSON form, the scrcpy arguments built from it and the ladder of records a
// refused launch walks down.
#include "ErrorCatalog.h"
#include "FallbackProfiles.h"
#include "JsonDecoder.h"
#include "LaunchArgumentBuilder.h"
#include "LaunchConfig.h"

#include <QJsonArray>
#include <QTest>

#include <cmath>
#include <functional>
#include <limits>

using namespace quorvane;

namespace {

using Change = std::function<void(LaunchConfig &)>;

// Every field set to something other than its zero value, so a field lost on the way shows.
LaunchConfig everyFieldSet()
{
    return LaunchConfig{
        .serial = QStringLiteral("192.168.1.20:5555"),
        .mode = QStringLiteral("camera"),
        .maxSize = 1920,
        .maxFps = 60,
        .codec = QStringLiteral("h265"),
        .videoBitRate = 16,
        .videoEncoder = QStringLiteral("c2.qti.hevc.encoder"),
        .audio = true,
        .audioSource = QStringLiteral("mic"),
        .stayAwake = true,
        .turnScreenOff = true,
        .showTouches = true,
        .record = true,
        .fullscreen = true,
        .captureOrientation = QStringLiteral("90"),
        .crop = QStringLiteral("1080:1920:0:0"),
        .cameraId = QStringLiteral("1"),
        .cameraFacing = QStringLiteral("front"),
        .cameraZoom = 2.5,
        .cameraTorch = true,
        .cameraSize = QStringLiteral("1920x1080"),
        .cameraAspectRatio = QStringLiteral("16:9"),
        .cameraHighSpeed = true,
        .desktopWidth = 2560,
        .desktopHeight = 1440,
        .desktopDensity = 320,
        .desktopFlex = true,
        .desktopNoDecorations = true,
        .desktopKeepContent = true,
        .desktopStartApp = QStringLiteral("com.example.launcher"),
        .desktopEnvironment = QStringLiteral("samsung_dex"),
        .desktopDisplayId = 2,
        .clipboardSync = true,
    };
}

LaunchConfig decode(const QJsonObject &object)
{
    return LaunchConfig::fromJson(JsonDecoder(object));
}

// The quietest record of a mode: serial ABC, h264 at 8M, audio on with scrcpy's default source, nothing
// else asked for and the clipboard synchronised, so each row shows only what it changes.
LaunchConfig quiet(const QString &mode, const Change &change = {})
{
    LaunchConfig config;
    config.serial = QStringLiteral("ABC");
    config.mode = mode;
    config.codec = QStringLiteral("h264");
    config.videoBitRate = 8;
    config.audio = true;
    config.clipboardSync = true;
    if (change)
        change(config);
    return config;
}

LaunchConfig mirror(const Change &change = {})
{
    return quiet(QStringLiteral("mirror"), change);
}

LaunchConfig camera(const Change &change = {})
{
    return quiet(QStringLiteral("camera"), change);
}

LaunchConfig desktop(const Change &change = {})
{
    return quiet(QStringLiteral("desktop"), change);
}

QStringList words(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *word : list)
        result << QString::fromUtf8(word);
    return result;
}

// The elements every quiet record ends with, after the mode block.
QStringList quietTail()
{
    return words({"--video-codec=h264", "--video-bit-rate=8M", "--window-title=Quorvane · ABC"});
}

QStringList withQuietTail(std::initializer_list<const char *> head)
{
    return words({"-s", "ABC"}) + words(head) + quietTail();
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

class TestLaunchConfig final : public QObject
{
    Q_OBJECT

private slots:
    void encodesEveryFieldAndRoundTrips()
    {
        const QJsonObject json = everyFieldSet().toJson();
        QCOMPARE(json.value(QStringLiteral("cameraZoom")), QJsonValue(2.5));
        QCOMPARE(json.value(QStringLiteral("desktopDisplayId")), QJsonValue(2));
        QCOMPARE(json.value(QStringLiteral("clipboardSync")), QJsonValue(true));
        QCOMPARE(decode(json), everyFieldSet());
    }

    // Odd values come back unchanged, a zoom that is not a number is left out like an absent one, and null
    // or unknown keys read as absent.
    void oddAbsentAndNullValues()
    {
        LaunchConfig odd = LaunchConfig::defaultRecord();
        odd.codec = QStringLiteral("vp9");
        odd.videoBitRate = 0;
        odd.maxSize = 4294967295u;
        odd.crop = QString();
        odd.cameraZoom = std::nan("");
        QJsonObject json = odd.toJson();
        QVERIFY(!json.contains(QStringLiteral("videoEncoder")));
        QVERIFY(!json.contains(QStringLiteral("cameraZoom")));
        odd.cameraZoom.reset();
        QCOMPARE(decode(json), odd);
        for (const char *key :
             {"videoEncoder", "audioSource", "cameraZoom", "desktopWidth", "desktopDisplayId"})
            json.insert(QString::fromUtf8(key), QJsonValue::Null);
        json.insert(QStringLiteral("somethingNew"), QStringLiteral("ignored"));
        QCOMPARE(decode(json), odd);
    }

    void mistypedValueFails_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<QString>("message");

        QTest::newRow("string as number")
            << "serial" << QJsonValue(5) << "The key “serial” must be a string.";
        QTest::newRow("number as string") << "maxSize" << QJsonValue(QStringLiteral("1920"))
                                          << "The key “maxSize” must be a whole number from 0 to 4294967295.";
        QTest::newRow("negative number")
            << "maxFps" << QJsonValue(-1) << "The key “maxFps” must be a whole number from 0 to 4294967295.";
        QTest::newRow("fraction") << "videoBitRate" << QJsonValue(8.5)
                                  << "The key “videoBitRate” must be a whole number from 0 to 4294967295.";
        QTest::newRow("beyond 32 bits") << "maxSize" << QJsonValue(4294967296.0)
                                        << "The key “maxSize” must be a whole number from 0 to 4294967295.";
        QTest::newRow("number as flag")
            << "audio" << QJsonValue(1) << "The key “audio” must be true or false.";
        QTest::newRow("null required flag") << "clipboardSync" << QJsonValue(QJsonValue::Null)
                                            << "The key “clipboardSync” must be true or false.";
        QTest::newRow("optional of the wrong type")
            << "videoEncoder" << QJsonValue(true) << "The key “videoEncoder” must be a string or null.";
        QTest::newRow("zoom as text") << "cameraZoom" << QJsonValue(QStringLiteral("1.5"))
                                      << "The key “cameraZoom” must be a number or null.";
        QTest::newRow("negative display id") << "desktopDisplayId" << QJsonValue(-2)
                                             << "The key “desktopDisplayId” must be a whole number from 0 to "
                                                "4294967295 or null.";
    }

    void mistypedValueFails()
    {
        QFETCH(QString, key);
        QFETCH(QJsonValue, value);
        QFETCH(QString, message);
        QJsonObject json = LaunchConfig::defaultRecord().toJson();
        json.insert(key, value);
        try {
            decode(json);
            QFAIL("decoding must fail on a mistyped value");
        } catch (const DecodingError &error) {
            QCOMPARE(error.text(), message);
        }
    }

    void bitRateRange_data()
    {
        QTest::addColumn<double>("megabits");
        QTest::addColumn<quint32>("rounded");
        QTest::newRow("half away from zero") << 2.5 << 3u;
        QTest::newRow("negative") << -3.0 << 0u;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0u;
        QTest::newRow("too large") << 1e12 << std::numeric_limits<quint32>::max();
    }

    void bitRateRange()
    {
        QFETCH(double, megabits);
        QFETCH(quint32, rounded);
        QCOMPARE(LaunchConfig::roundedBitRate(megabits), rounded);
    }

    void documentMustBeAnObject()
    {
        try {
            JsonDecoder::of(QJsonDocument(QJsonArray{1, 2}));
            QFAIL("an array is not a launch record");
        } catch (const DecodingError &error) {
            QCOMPARE(error.text(), QStringLiteral("The JSON text is not an object."));
        }
    }

    void buildArguments_data()
    {
        QTest::addColumn<LaunchConfig>("config");
        QTest::addColumn<QString>("recording");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("screen off replaces stay awake")
            << mirror([](LaunchConfig &c) {
                   c.maxSize = 1920;
                   c.stayAwake = true;
                   c.turnScreenOff = true;
               })
            << QString()
            << words({"-s", "ABC", "--max-size=1920", "--video-codec=h264", "--video-bit-rate=8M",
                      "--turn-screen-off", "--window-title=Quorvane · ABC"});
        QTest::newRow("no limits send no size or rate") << mirror() << QString() << withQuietTail({});
        QTest::newRow("unknown mode builds like mirror")
            << quiet(QStringLiteral("Camera"), [](LaunchConfig &c) { c.maxFps = 30; }) << QString()
            << withQuietTail({"--max-fps=30"});
        QTest::newRow("every tail element, in order")
            << mirror([](LaunchConfig &c) {
                   c.codec = QStringLiteral("av1");
                   c.videoBitRate = 200;
                   c.videoEncoder = QStringLiteral(" c2.qti.avc.encoder ");
                   c.audioSource = QStringLiteral("mic");
                   c.stayAwake = true;
                   c.showTouches = true;
                   c.fullscreen = true;
                   c.captureOrientation = QStringLiteral("initial");
                   c.crop = QStringLiteral("1080:1920:0:0");
                   c.clipboardSync = false;
               })
            << QStringLiteral("/home/me/Movies/Quorvane/Recordings/ABC 1.mp4")
            << words({"-s", "ABC", "--video-codec=av1", "--video-bit-rate=200M",
                      "--video-encoder=c2.qti.avc.encoder", "--audio-source=mic", "--stay-awake",
                      "--show-touches", "--fullscreen", "--capture-orientation=@", "--crop=1080:1920:0:0",
                      "--record=/home/me/Movies/Quorvane/Recordings/ABC 1.mp4", "--no-clipboard-autosync",
                      "--window-title=Quorvane · ABC"});
        QTest::newRow("record flag alone records nothing")
            << mirror([](LaunchConfig &c) { c.record = true; }) << QString() << withQuietTail({});

        QTest::newRow("blank camera id falls back to facing") << camera([](LaunchConfig &c) {
            c.cameraId = QStringLiteral("  ");
            c.cameraFacing = QStringLiteral("front");
        }) << QString() << withQuietTail({"--video-source=camera", "--camera-facing=front"});
        QTest::newRow("facing is case-sensitive")
            << camera([](LaunchConfig &c) { c.cameraFacing = QStringLiteral("Front"); }) << QString()
            << withQuietTail({"--video-source=camera"});
        QTest::newRow("camera id wins over facing") << camera([](LaunchConfig &c) {
            c.cameraId = QStringLiteral(" 2\t");
            c.cameraFacing = QStringLiteral("external");
        }) << QString() << withQuietTail({"--video-source=camera", "--camera-id=2"});
        QTest::newRow("explicit size suppresses max size and ratio")
            << camera([](LaunchConfig &c) {
                   c.cameraSize = QStringLiteral("1920x1080");
                   c.maxSize = 1280;
                   c.maxFps = 120;
                   c.cameraAspectRatio = QStringLiteral("16:9");
                   c.cameraHighSpeed = true;
               })
            << QString()
            << withQuietTail({"--video-source=camera", "--camera-size=1920x1080", "--camera-fps=120",
                              "--camera-high-speed"});
        QTest::newRow("invalid size falls back and drops high speed")
            << camera([](LaunchConfig &c) {
                   c.cameraSize = QStringLiteral("1920x0");
                   c.maxSize = 1280;
                   c.maxFps = 60;
                   c.cameraAspectRatio = QStringLiteral("4:3");
                   c.cameraHighSpeed = true;
               })
            << QString()
            << withQuietTail(
                   {"--video-source=camera", "--max-size=1280", "--camera-ar=4:3", "--camera-fps=60"});
        QTest::newRow("size with a star is no size") << camera([](LaunchConfig &c) {
            c.cameraSize = QStringLiteral("1920*1080");
            c.cameraAspectRatio = QStringLiteral("sensor");
        }) << QString() << withQuietTail({"--video-source=camera", "--camera-ar=sensor"});
        QTest::newRow("automatic ratio sends nothing")
            << camera([](LaunchConfig &c) { c.cameraAspectRatio = QStringLiteral("auto"); }) << QString()
            << withQuietTail({"--video-source=camera"});
        QTest::newRow("zoom rounded to two decimals, and torch") << camera([](LaunchConfig &c) {
            c.cameraZoom = 2.345678;
            c.cameraTorch = true;
        }) << QString() << withQuietTail({"--video-source=camera", "--camera-zoom=2.35", "--camera-torch"});
        for (const double zoom : {0.0, std::numeric_limits<double>::infinity(), std::nan("")})
            QTest::addRow("zoom %g is not sent", zoom)
                << camera([zoom](LaunchConfig &c) { c.cameraZoom = zoom; }) << QString()
                << withQuietTail({"--video-source=camera"});
        QTest::newRow("camera never touches the screen")
            << camera([](LaunchConfig &c) {
                   c.stayAwake = true;
                   c.turnScreenOff = true;
                   c.showTouches = true;
                   c.fullscreen = true;
               })
            << QString()
            << words({"-s", "ABC", "--video-source=camera", "--video-codec=h264", "--video-bit-rate=8M",
                      "--fullscreen", "--window-title=Quorvane · ABC"});
        QTest::newRow("wide display gets the 1080 height")
            << desktop([](LaunchConfig &c) { c.desktopWidth = 2560; }) << QString()
            << withQuietTail({"--new-display=2560x1080/240", "--display-ime-policy=local"});
        QTest::newRow("out-of-range sizes take the defaults") << desktop([](LaunchConfig &c) {
            c.maxSize = 1920;
            c.desktopWidth = 479;
            c.desktopHeight = 7681;
            c.desktopDensity = 100;
        }) << QString() << withQuietTail({"--new-display=1920x1080/240", "--display-ime-policy=local"});
        QTest::newRow("range edges are kept") << desktop([](LaunchConfig &c) {
            c.desktopWidth = 7680;
            c.desktopHeight = 480;
            c.desktopDensity = 640;
        }) << QString() << withQuietTail({"--new-display=7680x480/640", "--display-ime-policy=local"});
        QTest::newRow("every virtual display option")
            << desktop([](LaunchConfig &c) {
                   c.desktopWidth = 1600;
                   c.desktopHeight = 900;
                   c.desktopDensity = 120;
                   c.desktopFlex = true;
                   c.desktopNoDecorations = true;
                   c.desktopKeepContent = true;
                   c.desktopStartApp = QStringLiteral(" com.example.launcher ");
                   c.maxSize = 2560;
               })
            << QString()
            << withQuietTail({"--new-display=1600x900/120", "--flex-display", "--no-vd-system-decorations",
                              "--no-vd-destroy-content", "--start-app=com.example.launcher",
                              "--display-ime-policy=local"});
        QTest::newRow("blank start app is not sent")
            << desktop([](LaunchConfig &c) { c.desktopStartApp = QStringLiteral("   "); }) << QString()
            << withQuietTail({"--new-display=1280x720/240", "--display-ime-policy=local"});
        QTest::newRow("desktop keeps active after the audio option")
            << desktop([](LaunchConfig &c) {
                   c.maxSize = 1920;
                   c.audioSource = QStringLiteral("output");
                   c.stayAwake = true;
                   c.clipboardSync = false;
               })
            << QString()
            << words({"-s", "ABC", "--new-display=1920x1080/240", "--display-ime-policy=local",
                      "--video-codec=h264", "--video-bit-rate=8M", "--audio-source=output", "--keep-active",
                      "--no-clipboard-autosync", "--window-title=Quorvane · ABC"});
        QTest::newRow("dex captures its display") << desktop([](LaunchConfig &c) {
            c.desktopEnvironment = QStringLiteral("samsung_dex");
            c.desktopDisplayId = 3;
            c.desktopFlex = true;
            c.maxSize = 1920;
            c.maxFps = 60;
        }) << QString() << withQuietTail({"--display-id=3", "--max-fps=60"});
        QTest::newRow("dex without a display id") << desktop([](LaunchConfig &c) {
            c.desktopEnvironment = QStringLiteral("samsung_dex");
            c.maxFps = 30;
        }) << QString() << withQuietTail({"--max-fps=30"});
        QTest::newRow("another environment still creates a display") << desktop([](LaunchConfig &c) {
            c.desktopEnvironment = QStringLiteral("virtual_display");
            c.desktopDisplayId = 3;
        }) << QString() << withQuietTail({"--new-display=1280x720/240", "--display-ime-policy=local"});
    }

    void buildArguments()
    {
        QFETCH(LaunchConfig, config);
        QFETCH(QString, recording);
        QFETCH(QStringList, expected);
        const auto location = recording.isEmpty() ? std::nullopt : std::optional<QString>(recording);
        QCOMPARE(LaunchArgumentBuilder::buildArguments(config, location), expected);
    }

    // A codec or bit rate scrcpy would refuse is replaced; audio is sent after the video options.
    void videoAndAudioRules_data()
    {
        QTest::addColumn<QString>("codec");
        QTest::addColumn<quint32>("bitRate");
        QTest::addColumn<bool>("audio");
        QTest::addColumn<std::optional<QString>>("source");
        QTest::addColumn<QStringList>("expected"); // between the serial and the window title

        const std::optional<QString> none;
        const auto row = [](const char *name, const char *codec, quint32 bitRate, bool audio,
                            const std::optional<QString> &source,
                            std::initializer_list<const char *> expected) {
            QTest::newRow(name) << QString::fromUtf8(codec) << bitRate << audio << source << words(expected);
        };
        row("hevc", "hevc", 8, true, none, {"--video-codec=h264", "--video-bit-rate=8M"});
        row("bit rate 0", "h264", 0, true, none, {"--video-codec=h264", "--video-bit-rate=8M"});
        row("bit rate 1", "h264", 1, true, none, {"--video-codec=h264", "--video-bit-rate=1M"});
        row("bit rate 201", "h264", 201, true, none, {"--video-codec=h264", "--video-bit-rate=8M"});
        row("audio off", "h264", 8, false, none, {"--video-codec=h264", "--video-bit-rate=8M", "--no-audio"});
        row("audio off wins over a source", "h264", 8, false, QStringLiteral("mic"),
            {"--video-codec=h264", "--video-bit-rate=8M", "--no-audio"});
        row("source off", "h264", 8, true, QStringLiteral("off"),
            {"--video-codec=h264", "--video-bit-rate=8M", "--no-audio"});
        row("source is case-sensitive", "h264", 8, true, QStringLiteral("Mic"),
            {"--video-codec=h264", "--video-bit-rate=8M"});
    }

    void videoAndAudioRules()
    {
        QFETCH(QString, codec);
        QFETCH(quint32, bitRate);
        QFETCH(bool, audio);
        QFETCH(std::optional<QString>, source);
        QFETCH(QStringList, expected);
        const QStringList arguments = LaunchArgumentBuilder::buildArguments(mirror([&](LaunchConfig &c) {
                                                                                c.codec = codec;
                                                                                c.videoBitRate = bitRate;
                                                                                c.audio = audio;
                                                                                c.audioSource = source;
                                                                            }),
                                                                            std::nullopt);
        QCOMPARE(arguments.mid(2, arguments.size() - 3), expected);
    }

    // The single values checked before they reach scrcpy's command line: kept, trimmed, or left out.
    void checkedValues_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("input");
        QTest::addColumn<std::optional<QString>>("expected");

        const std::optional<QString> none;
        const auto row = [](const char *name, const char *value, const QString &input,
                            const std::optional<QString> &expected) {
            QTest::newRow(name) << QString::fromUtf8(value) << input << expected;
        };
        row("encoder trimmed", "encoder", QStringLiteral("\t OMX.google.h264_encoder-2 \u00a0"),
            QStringLiteral("OMX.google.h264_encoder-2"));
        row("encoder in any script", "encoder", QStringLiteral("编码器.é1"), QStringLiteral("编码器.é1"));
        row("blank encoder", "encoder", QStringLiteral("   "), none);
        row("option injection", "encoder", QStringLiteral("x --no-control"), none);
        row("line break is not trimmed", "encoder", QStringLiteral("c2.qti\n"), none);
        row("160 characters", "encoder", QString(160, QLatin1Char('a')), QString(160, QLatin1Char('a')));
        row("161 characters", "encoder", QString(161, QLatin1Char('a')), none);
        row("160 after trimming", "encoder", QStringLiteral("  ") + QString(160, QLatin1Char('b')),
            QString(160, QLatin1Char('b')));

        row("size trimmed, not re-formatted", "size", QStringLiteral(" 0640x480 "),
            QStringLiteral("0640x480"));
        row("largest size", "size", QStringLiteral("7680x7680"), QStringLiteral("7680x7680"));
        row("size too large", "size", QStringLiteral("7681x1080"), none);
        row("blank size", "size", QStringLiteral(" "), none);
        row("negative size", "size", QStringLiteral("-1920x1080"), none);
        row("empty side between", "size", QStringLiteral("1920xx1080"), none);

        row("crop trimmed", "crop", QStringLiteral("\t100:200:10:20 "), QStringLiteral("100:200:10:20"));
        row("zero width", "crop", QStringLiteral("0:1920:0:0"), none);
        row("zero height", "crop", QStringLiteral("1080:0:0:0"), none);
        row("empty piece", "crop", QStringLiteral("1080:1920::0:0"), none);
        row("blank crop", "crop", QString(), none);
        row("crop beyond 32 bits", "crop", QStringLiteral("4294967296:1:0:0"), none);

        for (const char *angle : {"0", "90", "180", "270"})
            row(angle, "orientation", QString::fromUtf8(angle),
                QStringLiteral("--capture-orientation=@") + QString::fromUtf8(angle));
        row("45", "orientation", QStringLiteral("45"), none);
        row("Initial", "orientation", QStringLiteral("Initial"), none);
    }

    void checkedValues()
    {
        QFETCH(QString, value);
        QFETCH(QString, input);
        QFETCH(std::optional<QString>, expected);
        const QHash<QString, std::optional<QString> (*)(const std::optional<QString> &)> checks{
            {QStringLiteral("encoder"), &LaunchArgumentBuilder::safeVideoEncoder},
            {QStringLiteral("size"), &LaunchArgumentBuilder::safeCameraSize},
            {QStringLiteral("crop"), &LaunchArgumentBuilder::safeCrop},
            {QStringLiteral("orientation"), &LaunchArgumentBuilder::captureOrientationArg}};
        QCOMPARE(checks.value(value)(input), expected);
    }

    void shellPreview_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");

        QTest::newRow("quote without space is left alone")
            << "scrcpy" << words({"--crop=a\"b"}) << "scrcpy --crop=a\"b";
        QTest::newRow("quote and space") << "scrcpy" << words({"say \"hi\""}) << "scrcpy \"say \\\"hi\\\"\"";
        QTest::newRow("tab does not quote") << "scrcpy" << words({"a\tb"}) << "scrcpy a\tb";
        QTest::newRow("program is never quoted") << "/Applications/My Tools/scrcpy" << words({"-s", "A B"})
                                                 << "/Applications/My Tools/scrcpy -s \"A B\"";
    }

    void shellPreview()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        QCOMPARE(LaunchArgumentBuilder::shellPreview(program, arguments), expected);
    }

    void variants_data()
    {
        QTest::addColumn<LaunchConfig>("input");
        QTest::addColumn<QList<LaunchConfig>>("expected");

        const auto row = [](const char *name, const LaunchConfig &input, const QList<Change> &changes) {
            QTest::newRow(name) << input << rungs(input, changes);
        };

        row("mirror with nothing to relax", mirror([](LaunchConfig &c) {
                c.maxSize = 1280;
                c.maxFps = 30;
            }),
            {});
        row("mirror relaxes everything in order", mirror([](LaunchConfig &c) {
                c.videoEncoder = QStringLiteral("c2.qti.hevc.encoder");
                c.codec = QStringLiteral("h265");
                c.maxSize = 1920;
                c.maxFps = 60;
            }),
            {noEncoder, h264, size1280, fps30});
        row("unknown mode uses the mirror table", quiet(QString(), [](LaunchConfig &c) { c.maxSize = 2560; }),
            {size1280});
        row("just above the limits", mirror([](LaunchConfig &c) {
                c.maxSize = 1281;
                c.maxFps = 31;
            }),
            {size1280, fps30});
        row("upper-case codec is relaxed", mirror([](LaunchConfig &c) { c.codec = QStringLiteral("H264"); }),
            {h264});
        row("empty encoder name still counts as set",
            mirror([](LaunchConfig &c) { c.videoEncoder = QString(); }), {noEncoder});

        row("small display keeps its density", desktop([](LaunchConfig &c) {
                c.desktopWidth = 1280;
                c.desktopHeight = 720;
                c.desktopDensity = 320;
                c.maxFps = 60;
            }),
            {fps30});
        row("automatic size always gets the small rung",
            desktop([](LaunchConfig &c) { c.desktopWidth = 1024; }), {smallDisplay});
        row("one side too large", desktop([](LaunchConfig &c) {
                c.desktopWidth = 1280;
                c.desktopHeight = 721;
            }),
            {smallDisplay});
        row("desktop relaxes everything in order", desktop([](LaunchConfig &c) {
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
        row("dex skips the display rungs", desktop([](LaunchConfig &c) {
                c.desktopEnvironment = QStringLiteral("samsung_dex");
                c.desktopNoDecorations = true;
                c.desktopFlex = true;
                c.codec = QStringLiteral("h265");
                c.maxFps = 60;
            }),
            {h264, fps30});

        row("high speed at 60 fps keeps the rate for the rate rung", camera([](LaunchConfig &c) {
                c.cameraHighSpeed = true;
                c.maxFps = 60;
            }),
            {[](LaunchConfig &c) { c.cameraHighSpeed = false; }, fps30});
        row("high speed at 61 fps", camera([](LaunchConfig &c) {
                c.cameraHighSpeed = true;
                c.maxFps = 61;
            }),
            {[](LaunchConfig &c) {
                 c.cameraHighSpeed = false;
                 c.maxFps = 30;
             },
             unchanged});
        row("zoom 1.01 stays", camera([](LaunchConfig &c) { c.cameraZoom = 1.01; }), {});
        row("zoom 1.02 goes", camera([](LaunchConfig &c) { c.cameraZoom = 1.02; }),
            {[](LaunchConfig &c) { c.cameraZoom.reset(); }});
        row("camera id alone stays", camera([](LaunchConfig &c) { c.cameraId = QStringLiteral("0"); }), {});
        row("camera relaxes everything in order", camera([](LaunchConfig &c) {
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

QTEST_GUILESS_MAIN(TestLaunchConfig)
#include "tst_launchconfig.moc"
