#include "ADBService.h"
#include "JsonDecoder.h"
#include "MediaService.h"

#include <QJsonArray>
#include <QTest>

using namespace quorvane;

namespace {

// One row of adb's device list as the parser should read it.
DeviceInfo device(const char *serial, const char *state, const char *kind, std::optional<QString> model = {},
                  std::optional<QString> product = {}, std::optional<QString> name = {})
{
    return DeviceInfo{
        QString::fromUtf8(serial), QString::fromUtf8(state), std::move(model), std::move(product),
        std::move(name),           QString::fromUtf8(kind),  std::nullopt};
}

// The same row as listed with the USB port adb names.
DeviceInfo onPort(DeviceInfo device, const char *port)
{
    device.usbPort = QString::fromUtf8(port);
    return device;
}

VideoEncoderInfo encoder(const char *codec, const char *name)
{
    return {QString::fromUtf8(codec), QString::fromUtf8(name)};
}

const QString usbReason = QStringLiteral("USB connection allows a higher-quality low-latency profile.");
const QString wirelessReason =
    QStringLiteral("Wireless profile reduces bandwidth for a steadier connection.");
const QString mirrorReason =
    QStringLiteral("Everyday Mirror Mode favors H.264 compatibility and responsive control.");
const QString creatorReason =
    QStringLiteral("Creator Mode enables visible touches and prioritizes clean tutorial capture.");
const QString h265Reason =
    QStringLiteral("H.265 is available, so Creator Mode starts with the more bandwidth-efficient encoder.");
const QString cameraReason =
    QStringLiteral("Camera Mode uses conservative 1080p/30 settings for broad encoder compatibility.");
const QString desktopReason =
    QStringLiteral("Desktop Mode uses scrcpy's virtual-display path and a compatibility-first codec.");
const QString audioReason =
    QStringLiteral("Audio forwarding is disabled because this Android version is below the supported level.");
const QString learnedReason =
    QStringLiteral("Using settings that previously launched successfully on this device in this mode.");

// Only the three fields the rules read are varied; the others hold values that must not matter.
DeviceProfile phone(const char *connection, bool audio, bool h265)
{
    DeviceProfile profile;
    profile.serial = QStringLiteral("R5CW20ABCDE");
    profile.model = QStringLiteral("SM-S911B");
    profile.sdk = 20;
    profile.connectionKind = QString::fromUtf8(connection);
    profile.supportsAudio = audio;
    profile.h265Available = h265;
    profile.av1Available = true;
    return profile;
}

Recommendation expected(const char *mode, quint32 maxSize, quint32 maxFps, const char *codec, bool audio,
                        bool stayAwake, bool showTouches, const char *label, const QStringList &rationale)
{
    return Recommendation{QString::fromUtf8(mode),
                          maxSize,
                          maxFps,
                          QString::fromUtf8(codec),
                          audio,
                          stayAwake,
                          false,
                          showTouches,
                          QString::fromUtf8(label),
                          rationale};
}

const char *const displayDump = R"(DISPLAY MANAGER (dumpsys display)
  Logical Displays: size=3
  Display 0:
    mDisplayId=0
    mPhase=1
    mLayerStack=0
    mHasContent=true
    mPrimaryDisplayDevice=Built-in Screen (local:4619827259835644672)
  Display 2:
    mDisplayId=2
    mPhase=1
    mPrimaryDisplayDevice=scrcpy (virtual:com.android.shell,10000,scrcpy,0)
  Display 3:
    mDisplayId=3
    mPrimaryDisplayDevice=Overlay #1
  Display 4:
    mDisplayId=4
    a
    b
    c
    d
    e
    f
    g
    h
    mPrimaryDisplayDevice=Too Far (local:9)
  Display 5:
    mDisplayId=5
    mPrimaryDisplayDevice=odd) name (x
)";

} // namespace

class TestDeviceParsers final : public QObject
{
    Q_OBJECT

private slots:
    void parseDevices_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QList<DeviceInfo>>("expected");

        QTest::newRow("header only") << "List of devices attached\n\n" << QList<DeviceInfo>{};
        QTest::newRow("no header") << "error: cannot connect to daemon\nR5CW20ABCDE device\n"
                                   << QList<DeviceInfo>{};
        QTest::newRow("daemon start lines before the header")
            << "* daemon not running; starting now at tcp:5037\n* daemon started successfully\n"
               "List of devices attached\nemulator-5554          offline transport_id:1\n\n"
            << QList<DeviceInfo>{device("emulator-5554", "offline", "usb")};
        QTest::newRow("daemon notice after the header")
            << "List of devices attached\n* daemon started successfully\n"
            << QList<DeviceInfo>{};
        QTest::newRow("unauthorized usb")
            << "List of devices attached\n0A1B2C3D4E5F           unauthorized usb:1-2 transport_id:3\n"
            << QList<DeviceInfo>{onPort(device("0A1B2C3D4E5F", "unauthorized", "usb"), "1-2")};
        QTest::newRow("mdns serial")
            << "List of devices attached\nadb-R5CW20ABCDE-AbC12d._adb-tls-connect._tcp device "
               "product:dm1qxeea "
               "model:SM_S911B device:dm1q transport_id:9\n"
            << QList<DeviceInfo>{device("adb-R5CW20ABCDE-AbC12d._adb-tls-connect._tcp", "device", "wireless",
                                        QStringLiteral("SM_S911B"), QStringLiteral("dm1qxeea"),
                                        QStringLiteral("dm1q"))};
        QTest::newRow("no permissions, long listing")
            << "List of devices attached\n9A8B7C6D               no permissions (missing udev rules? user is "
               "in the plugdev group); see [http://developer.android.com/tools/device.html] usb:1-3 "
               "transport_id:4\n"
            << QList<DeviceInfo>{onPort(device("9A8B7C6D", "no permissions", "usb"), "1-3")};
        QTest::newRow("no permissions, oldest adb without a notice")
            << "List of devices attached\n????????????\tno permissions\n"
            << QList<DeviceInfo>{device("????????????", "no permissions", "usb")};
        QTest::newRow("a lone 'no' keeps the second-word rule")
            << "List of devices attached\n9A8B7C6D no usb:1-3\n"
            << QList<DeviceInfo>{onPort(device("9A8B7C6D", "no", "usb"), "1-3")};
        QTest::newRow("other states are one word")
            << "List of devices attached\nemulator-5554 authorizing transport_id:2\n"
            << QList<DeviceInfo>{device("emulator-5554", "authorizing", "usb")};
        QTest::newRow("serial only") << "List of devices attached\n\tLONELY  \n"
                                     << QList<DeviceInfo>{device("LONELY", "unknown", "usb")};
        QTest::newRow("empty model value and duplicate keys")
            << "List of devices attached\nABC device model: product:one product:two device:x:y\n"
            << QList<DeviceInfo>{
                   device("ABC", "device", "usb", QString(), QStringLiteral("two"), QStringLiteral("x:y"))};
    }

    void parseDevices()
    {
        QFETCH(QString, output);
        QFETCH(QList<DeviceInfo>, expected);
        QCOMPARE(ADBService::parseDevices(output), expected);
    }

    // An empty model is a name the phone gave, not a missing one.
    void displayName()
    {
        const auto devices = ADBService::parseDevices(
            QStringLiteral("List of devices attached\nA device model:\nB device model:Pixel_8\nC device\n"));
        QCOMPARE(devices.at(0).displayName(), QString());
        QCOMPARE(devices.at(1).displayName(), QStringLiteral("Pixel 8"));
        QCOMPARE(devices.at(2).displayName(), QStringLiteral("C"));
    }

    // What is read from the phone's answers to wm size, wm density, dumpsys window and scrcpy's encoder
    // list ("-" for nothing, 1 for locked). Unknown output is no answer: only Android's own keyguard lines
    // tell locked from unlocked.
    void phoneAnswers_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("read");
        const auto row = [](const char *name, const char *reader, const char *text, const char *read) {
            QTest::newRow(name) << QString::fromUtf8(reader) << QString::fromUtf8(text)
                                << QString::fromUtf8(read);
        };
        row("physical after override", "size", "Override size: 720x1600\nPhysical size: 1080x2400",
            "1080x2400");
        row("override only", "size", "Override size: 720x1600", "720x1600");
        row("case of the label", "size", "PHYSICAL SIZE:\t1440x3088\t", "1440x3088");
        row("line without colon", "size", "noise\n1080x1920", "1080x1920");
        row("spaces around the x", "size", "Physical size: 1080 x 2400", "1080x2400");
        row("doubled x", "size", "Physical size: 1080xx2400", "1080x2400");
        row("non-numeric", "size", "Physical size: abcx2400", "-x-");
        row("no size at all", "size", "error: closed", "-x-");
        row("physical line without numbers", "size", "Physical size: unknown\n720x1600", "-x-");

        row("physical density wins", "density", "Override density: 360\nPhysical density: 420", "420");
        row("first density line otherwise", "density", "Override density: 360\nother: 5", "360");
        row("bare density", "density", "480", "480");
        row("density not a number", "density", "Physical density: high", "-");
        row("first density line is blank", "density", "\nOverride density: 360", "-");

        row("policy flag among others", "keyguard", "    mDreamingLockscreen=true mDreamingSleepToken=null",
            "1");
        row("older release", "keyguard",
            "  mShowingLockscreen=false mShowingDream=false\n  isKeyguardShowing=true", "1");
        row("keyguard delegate only", "keyguard",
            "    KeyguardServiceDelegate\n      showing=true\n      secure=true", "1");
        row("unlocked", "keyguard",
            "    mDreamingLockscreen=false\n    KeyguardServiceDelegate\n      showing=false", "0");
        row("showing outside the delegate", "keyguard",
            "  KeyguardServiceDelegate\n    secure=true\n  WindowOrientationListener\n    showing=true", "-");
        row("Can't find service", "keyguard", "Can't find service: window", "-");

        row("by codec, then by name", "encoders",
            "--video-codec=h265 --video-encoder=b\n--video-codec=av1 --video-encoder=z\n"
            "--video-codec=h264 --video-encoder=c\n--video-codec=h264 --video-encoder=a\n",
            "av1 z;h264 a;h264 c;h265 b");
        row("duplicate encoders kept once", "encoders",
            "--video-codec=h264 --video-encoder=enc\n--video-codec=h264 --video-encoder='enc'\n", "h264 enc");
        row("capital codec and vp8 skipped", "encoders",
            "--video-codec=H264 --video-encoder=a\n--video-codec=vp8 --video-encoder=b\n", "-");
        row("no encoder name", "encoders", "--video-codec=h264 (hw)", "-");
        row("encoder name is the next word", "encoders", "--video-codec=h264 --video-encoder=  enc (hw)",
            "h264 enc");
    }

    void phoneAnswers()
    {
        QFETCH(QString, reader);
        QFETCH(QString, text);
        QFETCH(QString, read);
        const auto shown = [](const auto &value) {
            return value ? QString::number(*value) : QStringLiteral("-");
        };
        if (reader == QLatin1String("size")) {
            const auto [width, height] = ADBService::parsePhysicalSize(text);
            QCOMPARE(shown(width) + QLatin1Char('x') + shown(height), read);
        } else if (reader == QLatin1String("density")) {
            QCOMPARE(shown(ADBService::parseDensity(text)), read);
        } else if (reader == QLatin1String("keyguard")) {
            QCOMPARE(shown(ADBService::parseKeyguardShowing(text)), read);
        } else {
            QStringList found;
            for (const VideoEncoderInfo &encoder : ADBService::parseVideoEncoders(text))
                found << encoder.codec + QLatin1Char(' ') + encoder.name;
            QCOMPARE(found.isEmpty() ? QStringLiteral("-") : found.join(QLatin1Char(';')), read);
        }
    }

    void optionValue_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("marker");
        QTest::addColumn<std::optional<QString>>("expected");

        const std::optional<QString> absent;
        QTest::newRow("first word after the marker")
            << "  --video-codec=h265 --video-encoder='c2.qti.hevc.encoder' (hw)"
            << "--video-encoder=" << std::optional(QStringLiteral("c2.qti.hevc.encoder"));
        QTest::newRow("first occurrence") << "--video-codec=h264 --video-codec=h265"
                                          << "--video-codec=" << std::optional(QStringLiteral("h264"));
        QTest::newRow("nothing after") << "--video-codec="
                                       << "--video-codec=" << absent;
        QTest::newRow("only quotes") << "--video-codec='\"' x"
                                     << "--video-codec=" << absent;
        QTest::newRow("inner quotes stay") << "--video-encoder=a'b"
                                           << "--video-encoder=" << std::optional(QStringLiteral("a'b"));
        QTest::newRow("tab is not a separator")
            << "--video-codec=h264\t(hw)"
            << "--video-codec=" << std::optional(QStringLiteral("h264\t(hw)"));
    }

    void optionValue()
    {
        QFETCH(QString, line);
        QFETCH(QString, marker);
        QFETCH(std::optional<QString>, expected);
        QCOMPARE(ADBService::optionValue(line, marker), expected);
    }

    void deviceProfileJsonRoundTrip()
    {
        DeviceProfile profile;
        profile.serial = QStringLiteral("R5CW20ABCDE");
        profile.model = QStringLiteral("SM-S911B");
        profile.brand = QStringLiteral("samsung");
        profile.androidVersion = QStringLiteral("14");
        profile.sdk = 34;
        profile.width = 1080;
        profile.height = 2340;
        profile.connectionKind = QStringLiteral("usb");
        profile.supportsAudio = profile.supportsCamera = profile.canAttemptVirtualDisplay = true;
        profile.h265Available = true;
        profile.videoEncoders = {encoder("h264", "c2.qti.avc.encoder"),
                                 encoder("h265", "c2.qti.hevc.encoder")};

        const QJsonObject json = profile.toJson();
        QVERIFY(!json.contains(QStringLiteral("density")));
        QCOMPARE(json.value(QStringLiteral("videoEncoders")).toArray().at(1).toObject(),
                 QJsonObject({{QStringLiteral("codec"), QStringLiteral("h265")},
                              {QStringLiteral("name"), QStringLiteral("c2.qti.hevc.encoder")}}));
        QCOMPARE(DeviceProfile::fromJson(JsonDecoder(json)), profile);
    }

    void deviceProfileDecodingNamesTheBadKey()
    {
        QJsonObject json = DeviceProfile().toJson();
        json.insert(QStringLiteral("videoEncoders"), QJsonArray{QJsonObject{{QStringLiteral("codec"), 1}}});
        try {
            DeviceProfile::fromJson(JsonDecoder(json));
            QFAIL("a numeric codec is not an encoder");
        } catch (const DecodingError &error) {
            QCOMPARE(error.text(), QStringLiteral("The key “videoEncoders[0].codec” must be a string."));
        }
    }

    void recommendations_data()
    {
        QTest::addColumn<DeviceProfile>("profile");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<std::optional<LearnedProfile>>("learned"); // what launched before, laid over
        QTest::addColumn<Recommendation>("expected");

        const std::optional<LearnedProfile> base;

        QTest::newRow("mirror over usb") << phone("usb", true, false) << "mirror" << base
                                         << expected("mirror", 1920, 60, "h264", true, true, false,
                                                     "Fast USB profile", {usbReason, mirrorReason});
        QTest::newRow("mirror over wi-fi")
            << phone("wireless", true, true) << "mirror" << base
            << expected("mirror", 1280, 30, "h264", true, true, false, "Balanced wireless profile",
                        {wirelessReason, mirrorReason});
        QTest::newRow("unknown connection counts as usb")
            << phone("Wireless", true, false) << "mirror" << base
            << expected("mirror", 1920, 60, "h264", true, true, false, "Fast USB profile",
                        {usbReason, mirrorReason});
        QTest::newRow("creator without h265")
            << phone("wireless", true, false) << "creator" << base
            << expected("creator", 1280, 30, "h264", true, true, true, "Creator-ready profile",
                        {wirelessReason, creatorReason});
        QTest::newRow("creator with h265, no audio")
            << phone("usb", false, true) << "creator" << base
            << expected("creator", 1920, 60, "h265", false, true, true, "Creator-ready profile",
                        {usbReason, creatorReason, h265Reason, audioReason});
        QTest::newRow("camera over wi-fi")
            << phone("wireless", true, false) << "camera" << base
            << expected("camera", 1920, 30, "h264", true, false, false, "Stable camera profile",
                        {wirelessReason, cameraReason});
        QTest::newRow("desktop over usb") << phone("usb", true, true) << "desktop" << base
                                          << expected("desktop", 1920, 60, "h264", true, true, false,
                                                      "Balanced desktop profile", {usbReason, desktopReason});
        QTest::newRow("desktop over wi-fi")
            << phone("wireless", true, false) << "desktop" << base
            << expected("desktop", 1920, 30, "h264", true, true, false, "Balanced desktop profile",
                        {wirelessReason, desktopReason});
        QTest::newRow("old android mirrors without audio")
            << phone("usb", false, false) << "mirror" << base
            << expected("mirror", 1920, 60, "h264", false, true, false, "Fast USB profile",
                        {usbReason, mirrorReason, audioReason});
        QTest::newRow("applied, reason first")
            << phone("usb", true, false) << "mirror"
            << std::optional(LearnedProfile{1280, 30, QStringLiteral("h264"), true})
            << expected("mirror", 1280, 30, "h264", true, true, false, "Tested device profile",
                        {learnedReason, usbReason, mirrorReason});
        QTest::newRow("h265 on a phone that lost it is ignored")
            << phone("usb", true, false) << "creator"
            << std::optional(LearnedProfile{1280, 30, QStringLiteral("h265"), true})
            << expected("creator", 1920, 60, "h264", true, true, true, "Creator-ready profile",
                        {usbReason, creatorReason});
        QTest::newRow("h265 on a phone that has it")
            << phone("wireless", true, true) << "mirror"
            << std::optional(LearnedProfile{1024, 24, QStringLiteral("h265"), false})
            << expected("mirror", 1024, 24, "h265", false, true, false, "Tested device profile",
                        {learnedReason, wirelessReason, mirrorReason});
        QTest::newRow("learned audio cannot switch on unsupported audio")
            << phone("usb", false, false) << "mirror"
            << std::optional(LearnedProfile{1920, 60, QStringLiteral("h264"), true})
            << expected("mirror", 1920, 60, "h264", false, true, false, "Tested device profile",
                        {learnedReason, usbReason, mirrorReason, audioReason});
    }

    void recommendations()
    {
        QFETCH(DeviceProfile, profile);
        QFETCH(QString, mode);
        QFETCH(std::optional<LearnedProfile>, learned);
        QFETCH(Recommendation, expected);
        const Recommendation actual = learned ? ADBService::recommendation(profile, mode, *learned)
                                              : ADBService::recommendation(profile, mode);
        QCOMPARE(actual.rationale, expected.rationale);
        QCOMPARE(actual.qualityLabel, expected.qualityLabel);
        QVERIFY(actual == expected);
    }

    void logicalDisplayDevice_data()
    {
        QTest::addColumn<quint32>("id");
        QTest::addColumn<QString>("name"); // "" for no device found
        QTest::addColumn<QString>("uniqueId");
        QTest::newRow("local id") << 0u << "Built-in Screen " << QStringLiteral("local:4619827259835644672");
        QTest::newRow("virtual display")
            << 2u << "scrcpy " << QStringLiteral("virtual:com.android.shell,10000,scrcpy,0");
        QTest::newRow("no parentheses") << 3u << "Overlay #1" << QString();
        QTest::newRow("device line nine lines below") << 4u << "" << QString();
        QTest::newRow("parentheses the wrong way round") << 5u << "odd) name (x" << QString();
        QTest::newRow("unknown display") << 7u << "" << QString();
    }

    void logicalDisplayDevice()
    {
        QFETCH(quint32, id);
        QFETCH(QString, name);
        QFETCH(QString, uniqueId);
        const auto device = MediaService::logicalDisplayDevice(QString::fromUtf8(displayDump), id);
        QCOMPARE(device.has_value(), !name.isEmpty());
        if (device)
            QCOMPARE(*device, (DisplayDevice{name, uniqueId}));
    }

    void surfaceflingerDisplayID_data()
    {
        QTest::addColumn<QString>("dump");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        const QString dump = QStringLiteral(
            "Display 4619827259835644672 (HWC display 0): port=0 pnpId=GGL displayName=\"Built-in Screen\"\n"
            "Display 11529215046068469762 (virtual) displayName=\"scrcpy\"\n"
            "Virtual display displayName=\"broken\"\n"
            "42 displayName=\"bare\"\n");
        QTest::newRow("physical") << dump << "Built-in Screen" << QStringLiteral("4619827259835644672");
        QTest::newRow("bare id first") << dump << "bare" << QStringLiteral("42");
        QTest::newRow("first token not numeric") << dump << "broken" << QString();
        QTest::newRow("missing") << dump << "other" << QString();
        QTest::newRow("single piece") << QStringLiteral("displayName=\"solo\"") << "solo" << QString();
    }

    void surfaceflingerDisplayID()
    {
        QFETCH(QString, dump);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(MediaService::surfaceflingerDisplayID(dump, name).value_or(QString()), expected);
    }
};

QTEST_GUILESS_MAIN(TestDeviceParsers)
#include "tst_deviceparsers.moc"
