#include "CameraService.h"

#include <QTest>

using namespace quorvane;

namespace {

using Sizes = QStringList;
using Rates = QList<quint32>;
using Modes = QList<CameraHighSpeedMode>;

// The listing scrcpy prints for a typical phone with a back and a front camera.
const QString typicalListing =
    QStringLiteral("scrcpy 4.1 <https://github.com/Genymobile/scrcpy>\n"
                   "INFO: ADB device found:\n"
                   "[server] INFO: List of cameras:\n"
                   "    --camera-id=0    (back, 4000x3000, fps={15, 20, 24, 30, 60}, zoom-range=[1, 10])\n"
                   "        - 4000x3000\n"
                   "        - 1280x720\n"
                   "        - 1920x1080\n"
                   "      High speed capture (--camera-high-speed):\n"
                   "        - 1280x720 (fps={120, 240})\n"
                   "        - 1920x1080 (fps={120, 240})\n"
                   "        - 1920x1080 (fps={120})\n"
                   "    --camera-id=1    (front, 3264x2448, fps={15, 24, 30}, zoom-range=[1, 4])\n"
                   "        - 1280x720\n"
                   "        - 3264x2448\n");

} // namespace

class TestCameraParser final : public QObject
{
    Q_OBJECT

private slots:
    void typicalListing()
    {
        const QList<CameraInfo> cameras = CameraService::parseCameraOutput(::typicalListing);
        QCOMPARE(cameras.size(), 2);

        const CameraInfo &back = cameras.at(0);
        QCOMPARE(back.serial, QStringLiteral("4"));
        QCOMPARE(back.id(), QStringLiteral("4-0"));
        QCOMPARE(back.sizes, (Sizes{QStringLiteral("4000x3000"), QStringLiteral("1920x1080"),
                                    QStringLiteral("1280x720")}));
        QCOMPARE(back.highSpeedModes, (Modes{{QStringLiteral("1920x1080"), {120, 240}},
                                             {QStringLiteral("1920x1080"), {120}},
                                             {QStringLiteral("1280x720"), {120, 240}}}));
        // The front camera's fields are the header rows'; its line number comes after the back's lines.
        QCOMPARE(cameras.at(1).serial, QStringLiteral("12"));
    }

    void listing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QStringList>("facings");
        QTest::addColumn<QList<Sizes>>("sizes");
        QTest::addColumn<QList<Modes>>("modes");

        QTest::newRow("no cameras") << QStringLiteral("[server] INFO: List of cameras:\n    (none)\n")
                                    << QStringList{} << QStringList{} << QList<Sizes>{} << QList<Modes>{};
        QTest::newRow("sizes before any header are ignored")
            << QStringLiteral("  - 640x480\n--camera-id=0 (back, 640x480)\n  - 320x240\n")
            << QStringList{QStringLiteral("0")} << QStringList{QStringLiteral("back")}
            << QList<Sizes>{{QStringLiteral("320x240")}} << QList<Modes>{{}};
        QTest::newRow("repeated size stored once")
            << QStringLiteral("--camera-id=0 (back)\n - 640x480\n - 640x480\n")
            << QStringList{QStringLiteral("0")} << QStringList{QStringLiteral("back")}
            << QList<Sizes>{{QStringLiteral("640x480")}} << QList<Modes>{{}};
        QTest::newRow("high speed lines never become sizes, a line without rates is ignored")
            << QStringLiteral("--camera-id=0 (back)\nHigh speed capture (--camera-high-speed):\n - 1280x720\n"
                              " - 640x480 (fps={120})\n - 640x480 (fps={120})\n")
            << QStringList{QStringLiteral("0")} << QStringList{QStringLiteral("back")} << QList<Sizes>{{}}
            << QList<Modes>{{{QStringLiteral("640x480"), {120}}}};
        QTest::newRow("a header ends the high-speed section")
            << QStringLiteral("--camera-id=0 (back)\nHigh speed capture:\n - 640x480 (fps={120})\n"
                              "--camera-id=1 (front)\n - 640x480 (fps={120})\n")
            << QStringList{QStringLiteral("0"), QStringLiteral("1")}
            << QStringList{QStringLiteral("back"), QStringLiteral("front")}
            << QList<Sizes>{{}, {QStringLiteral("640x480")}}
            << QList<Modes>{{{QStringLiteral("640x480"), {120}}}, {}};
        QTest::newRow("equal areas: higher rate lists first")
            << QStringLiteral("--camera-id=0 (back)\nHigh speed capture:\n - 640x480 (fps={60, 120})\n"
                              " - 480x640 (fps={120})\n - 640x480 (fps={60, 240})\n")
            << QStringList{QStringLiteral("0")} << QStringList{QStringLiteral("back")} << QList<Sizes>{{}}
            << QList<Modes>{{{QStringLiteral("480x640"), {120}},
                             {QStringLiteral("640x480"), {60, 240}},
                             {QStringLiteral("640x480"), {60, 120}}}};
        QTest::newRow("equal areas keep their order among sizes")
            << QStringLiteral("--camera-id=0 (back)\n - 480x640\n - 640x480\n - 1x1\n")
            << QStringList{QStringLiteral("0")} << QStringList{QStringLiteral("back")}
            << QList<Sizes>{{QStringLiteral("480x640"), QStringLiteral("640x480"), QStringLiteral("1x1")}}
            << QList<Modes>{{}};
        QTest::newRow("ids sort numerically")
            << QStringLiteral("--camera-id=10 (external)\n--camera-id=2 (front)\n--camera-id=1 (back)\n")
            << QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("10")}
            << QStringList{QStringLiteral("back"), QStringLiteral("front"), QStringLiteral("external")}
            << QList<Sizes>{{}, {}, {}} << QList<Modes>{{}, {}, {}};
        QTest::newRow("text ids sort as strings")
            << QStringLiteral("--camera-id=a (back)\n--camera-id=B (front)\n")
            << QStringList{QStringLiteral("B"), QStringLiteral("a")}
            << QStringList{QStringLiteral("front"), QStringLiteral("back")} << QList<Sizes>{{}, {}}
            << QList<Modes>{{}, {}};
        QTest::newRow("ids that order inconsistently still sort")
            << QStringLiteral("--camera-id=1a (back)\n--camera-id=10 (back)\n--camera-id=9 (back)\n")
            << QStringList{QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("1a")}
            << QStringList{QStringLiteral("back"), QStringLiteral("back"), QStringLiteral("back")}
            << QList<Sizes>{{}, {}, {}} << QList<Modes>{{}, {}, {}};
        QTest::newRow("a camera listed twice is merged")
            << QStringLiteral(
                   "--camera-id=0 (unknown, fps={30})\n - 640x480\n--camera-id=0 (back, 800x600, fps={60})\n"
                   " - 800x600\n")
            << QStringList{QStringLiteral("0")} << QStringList{QStringLiteral("back")}
            << QList<Sizes>{{QStringLiteral("800x600"), QStringLiteral("640x480")}} << QList<Modes>{{}};
        QTest::newRow("a broken header does not switch cameras")
            << QStringLiteral("--camera-id=0 (back)\n--camera-id=1 )back(\n - 640x480\n")
            << QStringList{QStringLiteral("0")} << QStringList{QStringLiteral("back")}
            << QList<Sizes>{{QStringLiteral("640x480")}} << QList<Modes>{{}};
    }

    void listing()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, ids);
        QFETCH(QStringList, facings);
        QFETCH(QList<Sizes>, sizes);
        QFETCH(QList<Modes>, modes);
        const QList<CameraInfo> cameras = CameraService::parseCameraOutput(text);
        QStringList actualIds, actualFacings;
        QList<Sizes> actualSizes;
        QList<Modes> actualModes;
        for (const CameraInfo &camera : cameras) {
            actualIds << camera.cameraId;
            actualFacings << camera.facing;
            actualSizes << camera.sizes;
            actualModes << camera.highSpeedModes;
        }
        QCOMPARE(actualIds, ids);
        QCOMPARE(actualFacings, facings);
        QCOMPARE(actualSizes, sizes);
        QCOMPARE(actualModes, modes);
    }

    void mergeKeepsWhatWasKnown()
    {
        const auto cameras = CameraService::parseCameraOutput(
            QStringLiteral("--camera-id=0 (unknown-ish, fps={30})\n--camera-id=0 (back, 800x600, fps={60}, "
                           "zoom-range=[1, 2])\n"));
        QCOMPARE(cameras.size(), 1);
        QCOMPARE(cameras[0].serial, QStringLiteral("1"));
        QCOMPARE(cameras[0].facing, QStringLiteral("unknown-ish"));
        QCOMPARE(cameras[0].fps, (Rates{30}));
        QCOMPARE(cameras[0].maxWidth, 800u);
        QCOMPARE(cameras[0].zoomMax, 2.0);
        // Either listing naming it the back camera is enough for the torch.
        QVERIFY(cameras[0].torchLikely);
    }

    void header_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("id"); // "" when the line is no header
        QTest::addColumn<QString>("facing");
        QTest::addColumn<QString>("label");
        QTest::addColumn<Rates>("fps");
        QTest::newRow("back") << QStringLiteral("--camera-id=0 (back, 4000x3000, fps=[15, 24, 30])")
                              << QStringLiteral("0") << QStringLiteral("back")
                              << QStringLiteral("Back · 4000×3000") << Rates{15, 24, 30};
        QTest::newRow("padded facing")
            << QStringLiteral("    --camera-id=1    ( Front , 640x480)") << QStringLiteral("1")
            << QStringLiteral("front") << QStringLiteral("Front · 640×480") << Rates{};
        QTest::newRow("repeated rates")
            << QStringLiteral("--camera-id=2 (external, fps={30, 15, 30, x})") << QStringLiteral("2")
            << QStringLiteral("external") << QStringLiteral("External") << Rates{15, 30};
        QTest::newRow("id trimmed of commas and parens")
            << QStringLiteral("--camera-id=3,) (back)") << QStringLiteral("3") << QStringLiteral("back")
            << QStringLiteral("Back") << Rates{};
        QTest::newRow("empty parentheses")
            << QStringLiteral("--camera-id=4 ()") << QStringLiteral("4") << QStringLiteral("unknown")
            << QStringLiteral("Unknown") << Rates{};
        QTest::newRow("two-word facing")
            << QStringLiteral("--camera-id=5 (LOGICAL rear)") << QStringLiteral("5")
            << QStringLiteral("logical rear") << QStringLiteral("Logical Rear") << Rates{};
        QTest::newRow("no parentheses")
            << QStringLiteral("--camera-id=0 back") << QString() << QString() << QString() << Rates{};
        QTest::newRow("no id") << QStringLiteral("--camera-id=   ") << QString() << QString() << QString()
                               << Rates{};
        QTest::newRow("no marker") << QStringLiteral("(back, 640x480)") << QString() << QString() << QString()
                                   << Rates{};
    }

    void header()
    {
        QFETCH(QString, line);
        QFETCH(QString, id);
        QFETCH(QString, facing);
        QFETCH(QString, label);
        QFETCH(Rates, fps);
        const auto header = CameraService::parseCameraHeader(line);
        QCOMPARE(header.has_value(), !id.isEmpty());
        if (!header)
            return;
        QCOMPARE(header->first, id);
        QCOMPARE(header->second.cameraId, id);
        QCOMPARE(header->second.facing, facing);
        QCOMPARE(header->second.label(), label);
        QCOMPARE(header->second.fps, fps);
        QCOMPARE(header->second.torchLikely, facing == QLatin1String("back"));
        QVERIFY(header->second.serial.isEmpty());
    }

    void zoom_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<double>>("min");
        QTest::addColumn<std::optional<double>>("max");
        QTest::newRow("range") << QStringLiteral("zoom-range=[0.6, 10]") << std::optional(0.6)
                               << std::optional(10.0);
        QTest::newRow("one value gives none")
            << QStringLiteral("zoom-range=[1]") << std::optional<double>() << std::optional<double>();
        QTest::newRow("unreadable max")
            << QStringLiteral("zoom-range=[1, many]") << std::optional(1.0) << std::optional<double>();
        QTest::newRow("no marker") << QStringLiteral("fps=[1, 2]") << std::optional<double>()
                                   << std::optional<double>();
    }

    void zoom()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<double>, min);
        QFETCH(std::optional<double>, max);
        const auto [actualMin, actualMax] = CameraService::parseZoom(text);
        QCOMPARE(actualMin, min);
        QCOMPARE(actualMax, max);
    }

    void dimensions_data()
    {
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("size"); // "" for none
        QTest::newRow("punctuation dropped") << QStringLiteral("{1920x1080},") << QStringLiteral("1920x1080");
        QTest::newRow("capital X is not a separator") << QStringLiteral("1920X1080") << QString();
        QTest::newRow("three parts") << QStringLiteral("1x2x3") << QString();
        QTest::newRow("word with an x") << QStringLiteral("external") << QString();
        QTest::newRow("too large") << QStringLiteral("99999999999x1") << QString();
    }

    void dimensions()
    {
        QFETCH(QString, token);
        QFETCH(QString, size);
        const auto parsed = CameraService::dimensions(token);
        QCOMPARE(parsed ? QStringLiteral("%1x%2").arg(parsed->first).arg(parsed->second) : QString(), size);
    }

    void firstDimensionsSkipsWords()
    {
        const auto size =
            CameraService::firstDimensions(QStringLiteral("- max (fps=[30], [640x480]) 800x600"));
        QVERIFY(size);
        QCOMPARE(*size, (CameraService::Dimensions{640, 480}));
    }

    void listValues()
    {
        QCOMPARE(CameraService::listValues(QStringLiteral("a fps=[ 1, ,2 }, 3]"), QStringLiteral("fps=[")),
                 (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
        QCOMPARE(CameraService::listValues(QStringLiteral("fps=[1, 2"), QStringLiteral("fps=[")),
                 (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
        QVERIFY(CameraService::listValues(QStringLiteral("fps="), QStringLiteral("fps=[")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCameraParser)
#include "tst_cameraparser.moc"
