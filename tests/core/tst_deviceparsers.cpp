#include "ADBService.h"
#include "JsonDecoder.h"

#include <QJsonArray>
#include <QTest>

using namespace quorvane;

using Size = std::pair<std::optional<quint32>, std::optional<quint32>>;
using Encoders = QList<VideoEncoderInfo>;

namespace {

const std::optional<quint32> none;

VideoEncoderInfo encoder(const char *codec, const char *name)
{
    return {QString::fromUtf8(codec), QString::fromUtf8(name)};
}

} // namespace

class TestDeviceParsers final : public QObject
{
    Q_OBJECT

private slots:
    void parsePhysicalSize_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Size>("expected");

        QTest::newRow("physical only") << "Physical size: 1080x2400" << Size{1080, 2400};
        QTest::newRow("physical wins over override")
            << "Physical size: 1080x2400\nOverride size: 720x1600" << Size{1080, 2400};
        QTest::newRow("physical after override")
            << "Override size: 720x1600\nPhysical size: 1080x2400" << Size{1080, 2400};
        QTest::newRow("override only") << "Override size: 720x1600" << Size{720, 1600};
        QTest::newRow("case of the label") << "PHYSICAL SIZE:\t1440x3088\t" << Size{1440, 3088};
        QTest::newRow("line without colon") << "noise\n1080x1920" << Size{1080, 1920};
        QTest::newRow("spaces around the x") << "Physical size: 1080 x 2400" << Size{1080, 2400};
        QTest::newRow("three pieces") << "Physical size: 1x2x3" << Size{none, none};
        QTest::newRow("doubled x") << "Physical size: 1080xx2400" << Size{1080, 2400};
        QTest::newRow("non-numeric") << "Physical size: abcx2400" << Size{none, none};
        QTest::newRow("beyond 32 bits") << "Physical size: 4294967296x1" << Size{none, none};
        QTest::newRow("empty") << "" << Size{none, none};
        QTest::newRow("no size at all") << "error: closed" << Size{none, none};
        QTest::newRow("physical line without numbers")
            << "Physical size: unknown\n720x1600" << Size{none, none};
    }

    void parsePhysicalSize()
    {
        QFETCH(QString, text);
        QFETCH(Size, expected);
        QCOMPARE(ADBService::parsePhysicalSize(text), expected);
    }

    void parseDensity_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<quint32>>("expected");

        QTest::newRow("physical") << "Physical density: 420" << std::optional<quint32>(420);
        QTest::newRow("physical wins")
            << "Override density: 360\nPhysical density: 420" << std::optional<quint32>(420);
        QTest::newRow("first line otherwise")
            << "Override density: 360\nother: 5" << std::optional<quint32>(360);
        QTest::newRow("bare number") << "480" << std::optional<quint32>(480);
        QTest::newRow("empty") << "" << none;
        QTest::newRow("only colons") << ":::" << none;
        QTest::newRow("not a number") << "Physical density: high" << none;
        QTest::newRow("first line is blank") << "\nOverride density: 360" << none;
    }

    void parseDensity()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<quint32>, expected);
        QCOMPARE(ADBService::parseDensity(text), expected);
    }

    void parseVideoEncoders_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Encoders>("expected");

        QTest::newRow("scrcpy listing")
            << "scrcpy 4.1 <https://github.com/Genymobile/scrcpy>\n"
               "[server] INFO: List of video encoders:\n"
               "    --video-codec=h264 --video-encoder=c2.qti.avc.encoder             (hw) [vendor]\n"
               "    --video-codec=h264 --video-encoder=c2.android.avc.encoder         (sw)\n"
               "    --video-codec=h264 --video-encoder=OMX.google.h264.encoder        (sw) (alias for "
               "c2.android.avc.encoder)\n"
               "    --video-codec=h265 --video-encoder=c2.qti.hevc.encoder            (hw) [vendor]\n"
               "    --video-codec=vp8 --video-encoder=c2.android.vp8.encoder          (sw)\n"
               "[server] INFO: List of audio encoders:\n"
               "    --audio-codec=opus --audio-encoder=c2.android.opus.encoder        (sw)\n"
            << Encoders{encoder("h264", "OMX.google.h264.encoder"), encoder("h264", "c2.android.avc.encoder"),
                        encoder("h264", "c2.qti.avc.encoder"), encoder("h265", "c2.qti.hevc.encoder")};
        QTest::newRow("av1 before h264 before h265")
            << "--video-codec=h265 --video-encoder=b\n--video-codec=av1 --video-encoder=z\n"
               "--video-codec=h264 --video-encoder=a\n"
            << Encoders{encoder("av1", "z"), encoder("h264", "a"), encoder("h265", "b")};
        QTest::newRow("duplicates kept once")
            << "--video-codec=h264 --video-encoder=enc\n--video-codec=h264 --video-encoder='enc'\n"
            << Encoders{encoder("h264", "enc")};
        QTest::newRow("capital codec and vp8 skipped")
            << "--video-codec=H264 --video-encoder=a\n--video-codec=vp8 --video-encoder=b\n"
            << Encoders{};
        QTest::newRow("quoted names") << "--video-codec=\"h265\" --video-encoder='c2.exynos.hevc.encoder'"
                                      << Encoders{encoder("h265", "c2.exynos.hevc.encoder")};
        QTest::newRow("no encoder name") << "--video-codec=h264 (hw)" << Encoders{};
        QTest::newRow("empty encoder name") << "--video-codec=h264 --video-encoder=" << Encoders{};
        QTest::newRow("name is the next word")
            << "--video-codec=h264 --video-encoder=  enc (hw)" << Encoders{encoder("h264", "enc")};
        QTest::newRow("empty text") << "" << Encoders{};
    }

    void parseVideoEncoders()
    {
        QFETCH(QString, text);
        QFETCH(Encoders, expected);
        QCOMPARE(ADBService::parseVideoEncoders(text), expected);
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
        QTest::newRow("marker missing") << "--audio-codec=opus"
                                        << "--video-codec=" << absent;
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

    // Unknown output is no answer: only Android's own keyguard lines tell locked from unlocked.
    void parseKeyguardShowing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<bool>>("locked");
        QTest::newRow("policy flag among others")
            << "    mDreamingLockscreen=true mDreamingSleepToken=null" << std::optional(true);
        QTest::newRow("older release") << "    mShowingLockscreen=false mShowingDream=false\n"
                                          "    isKeyguardShowing=true"
                                       << std::optional(true);
        QTest::newRow("keyguard delegate only")
            << "    KeyguardServiceDelegate\n      showing=true\n      secure=true" << std::optional(true);
        QTest::newRow("unlocked") << "    mDreamingLockscreen=false\n    KeyguardServiceDelegate\n"
                                     "      showing=false"
                                  << std::optional(false);
        QTest::newRow("showing outside the delegate") << "    KeyguardServiceDelegate\n      secure=true\n"
                                                         "    WindowOrientationListener\n      showing=true"
                                                      << std::optional<bool>();
        QTest::newRow("Can't find service") << "Can't find service: window" << std::optional<bool>();
    }

    void parseKeyguardShowing()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<bool>, locked);
        QCOMPARE(ADBService::parseKeyguardShowing(text), locked);
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
};

QTEST_GUILESS_MAIN(TestDeviceParsers)
#include "tst_deviceparsers.moc"
