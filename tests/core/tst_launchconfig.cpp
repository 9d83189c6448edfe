#include "JsonDecoder.h"
#include "LaunchConfig.h"

#include <QJsonArray>
#include <QTest>

#include <cmath>
#include <limits>

using namespace quorvane;

namespace {

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

} // namespace

class TestLaunchConfig final : public QObject
{
    Q_OBJECT

private slots:
    void encodesEveryFieldAndRoundTrips()
    {
        const QJsonObject json = everyFieldSet().toJson();
        QCOMPARE(json.value(QStringLiteral("maxSize")), QJsonValue(1920));
        QCOMPARE(json.value(QStringLiteral("cameraZoom")), QJsonValue(2.5));
        QCOMPARE(json.value(QStringLiteral("desktopDisplayId")), QJsonValue(2));
        QCOMPARE(json.value(QStringLiteral("clipboardSync")), QJsonValue(true));
        QCOMPARE(decode(json), everyFieldSet());
    }

    // A zoom that is not a number is left out like an absent one.
    void absentOptionalsAreLeftOut()
    {
        LaunchConfig config = LaunchConfig::defaultRecord();
        config.cameraZoom = std::nan("");
        const QJsonObject json = config.toJson();
        QVERIFY(!json.contains(QStringLiteral("videoEncoder")));
        QVERIFY(!json.contains(QStringLiteral("cameraZoom")));
        QCOMPARE(decode(json), LaunchConfig::defaultRecord());
    }

    void oddValuesSurviveUnchanged()
    {
        LaunchConfig odd = LaunchConfig::defaultRecord();
        odd.codec = QStringLiteral("vp9");
        odd.videoBitRate = 0;
        odd.maxSize = 4294967295u;
        odd.crop = QString();
        QCOMPARE(decode(odd.toJson()), odd);
    }

    void optionalKeysMayBeNull()
    {
        QJsonObject json = LaunchConfig::defaultRecord().toJson();
        for (const char *key :
             {"videoEncoder", "audioSource", "cameraZoom", "desktopWidth", "desktopDisplayId"})
            json.insert(QString::fromUtf8(key), QJsonValue::Null);
        json.insert(QStringLiteral("somethingNew"), QStringLiteral("ignored"));
        QCOMPARE(decode(json), LaunchConfig::defaultRecord());
    }

    void mistypedValueFails_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<QString>("message");

        QTest::newRow("string as number")
            << "serial" << QJsonValue(5) << "The key “serial” must be a string.";
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
};

QTEST_GUILESS_MAIN(TestLaunchConfig)
#include "tst_launchconfig.moc"
