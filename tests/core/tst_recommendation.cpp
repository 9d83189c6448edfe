#include "ADBService.h"

#include <QTest>

using namespace quorvane;

namespace {

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

} // namespace

class TestRecommendation final : public QObject
{
    Q_OBJECT

private slots:
    void baseRules_data()
    {
        QTest::addColumn<DeviceProfile>("profile");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<Recommendation>("expected");

        QTest::newRow("mirror over usb") << phone("usb", true, false) << "mirror"
                                         << expected("mirror", 1920, 60, "h264", true, true, false,
                                                     "Fast USB profile", {usbReason, mirrorReason});
        QTest::newRow("mirror over wi-fi")
            << phone("wireless", true, true) << "mirror"
            << expected("mirror", 1280, 30, "h264", true, true, false, "Balanced wireless profile",
                        {wirelessReason, mirrorReason});
        QTest::newRow("unknown connection counts as usb")
            << phone("Wireless", true, false) << "mirror"
            << expected("mirror", 1920, 60, "h264", true, true, false, "Fast USB profile",
                        {usbReason, mirrorReason});
        QTest::newRow("creator without h265")
            << phone("wireless", true, false) << "creator"
            << expected("creator", 1280, 30, "h264", true, true, true, "Creator-ready profile",
                        {wirelessReason, creatorReason});
        QTest::newRow("creator with h265, no audio")
            << phone("usb", false, true) << "creator"
            << expected("creator", 1920, 60, "h265", false, true, true, "Creator-ready profile",
                        {usbReason, creatorReason, h265Reason, audioReason});
        QTest::newRow("camera over wi-fi")
            << phone("wireless", true, false) << "camera"
            << expected("camera", 1920, 30, "h264", true, false, false, "Stable camera profile",
                        {wirelessReason, cameraReason});
        QTest::newRow("desktop over usb") << phone("usb", true, true) << "desktop"
                                          << expected("desktop", 1920, 60, "h264", true, true, false,
                                                      "Balanced desktop profile", {usbReason, desktopReason});
        QTest::newRow("desktop over wi-fi")
            << phone("wireless", true, false) << "desktop"
            << expected("desktop", 1920, 30, "h264", true, true, false, "Balanced desktop profile",
                        {wirelessReason, desktopReason});
        QTest::newRow("old android mirrors without audio")
            << phone("usb", false, false) << "mirror"
            << expected("mirror", 1920, 60, "h264", false, true, false, "Fast USB profile",
                        {usbReason, mirrorReason, audioReason});
    }

    void baseRules()
    {
        QFETCH(DeviceProfile, profile);
        QFETCH(QString, mode);
        QFETCH(Recommendation, expected);
        const Recommendation actual = ADBService::recommendation(profile, mode);
        QCOMPARE(actual.rationale, expected.rationale);
        QCOMPARE(actual.qualityLabel, expected.qualityLabel);
        QVERIFY(actual == expected);
        QVERIFY(ADBService::recommendation(profile, mode, std::nullopt) == expected);
    }

    void learnedOverlay_data()
    {
        QTest::addColumn<DeviceProfile>("profile");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<LearnedProfile>("learned");
        QTest::addColumn<Recommendation>("expected");

        QTest::newRow("applied, reason first")
            << phone("usb", true, false) << "mirror" << LearnedProfile{1280, 30, QStringLiteral("h264"), true}
            << expected("mirror", 1280, 30, "h264", true, true, false, "Tested device profile",
                        {learnedReason, usbReason, mirrorReason});
        QTest::newRow("h265 on a phone that lost it is ignored")
            << phone("usb", true, false) << "creator"
            << LearnedProfile{1280, 30, QStringLiteral("h265"), true}
            << expected("creator", 1920, 60, "h264", true, true, true, "Creator-ready profile",
                        {usbReason, creatorReason});
        QTest::newRow("h265 on a phone that has it")
            << phone("wireless", true, true) << "mirror"
            << LearnedProfile{1024, 24, QStringLiteral("h265"), false}
            << expected("mirror", 1024, 24, "h265", false, true, false, "Tested device profile",
                        {learnedReason, wirelessReason, mirrorReason});
        QTest::newRow("learned audio cannot switch on unsupported audio")
            << phone("usb", false, false) << "mirror"
            << LearnedProfile{1920, 60, QStringLiteral("h264"), true}
            << expected("mirror", 1920, 60, "h264", false, true, false, "Tested device profile",
                        {learnedReason, usbReason, mirrorReason, audioReason});
    }

    void learnedOverlay()
    {
        QFETCH(DeviceProfile, profile);
        QFETCH(QString, mode);
        QFETCH(LearnedProfile, learned);
        QFETCH(Recommendation, expected);
        const Recommendation actual = ADBService::recommendation(profile, mode, learned);
        QCOMPARE(actual.rationale, expected.rationale);
        QVERIFY(actual == expected);
    }
};

QTEST_GUILESS_MAIN(TestRecommendation)
#include "tst_recommendation.moc"
