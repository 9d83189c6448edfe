// The Camera Mode screen against the simulator: the requirement line, the probe and the camera list with
// its recommended camera, every setting bound both ways by one control, and labels that tell rows apart.
#include "CameraModeScreen.h"
#include "ScreenTesting.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

using namespace quorvane;
using namespace quorvane::app;
using namespace quorvane::test;

class TestScreenCamera final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenWorld> m_world;

    AppModel &model() { return m_world->model(); }
    CameraSettings &settings() { return *model().cameraState(); }

private slots:
    void init() { m_world = std::make_unique<ScreenWorld>(); }
    void cleanup() { m_world.reset(); }

    void requirementAndProbe()
    {
        CameraModeScreen screen(&model());
        ScreenWorld::show(screen);
        auto *probe = child<QPushButton>(screen, QStringLiteral("cameraProbe"));
        QVERIFY(!probe->isEnabled());
        QCOMPARE(child<QLabel>(screen, QStringLiteral("cameraHeader"))->text(),
                 QStringLiteral("Stream the phone's camera through scrcpy."));

        m_world->connectPhone();
        QTRY_COMPARE_WITH_TIMEOUT(
            child<QLabel>(screen, QStringLiteral("cameraRequirement"))->text(),
            QStringLiteral("Requires Android 12 or newer (SDK 31+). Current: Android 14"), inspectionTimeout);
        QVERIFY(probe->isEnabled());
        probe->click();
        QVERIFY(model().probingCameras());
        QVERIFY(!probe->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!model().probingCameras(), inspectionTimeout);
        QVERIFY(probe->isEnabled());
        const CameraCapabilities capabilities = model().cameraCapabilities().value();
        QVERIFY(capabilities.recommendedCameraId.has_value());

        // By id: every probed camera, the recommended one marked.
        auto *byId = child<QComboBox>(screen, QStringLiteral("cameraId"));
        QVERIFY(!byId->isVisible());
        QVERIFY(child<QComboBox>(screen, QStringLiteral("cameraFacing"))->isVisible());
        child<QCheckBox>(screen, QStringLiteral("cameraUseId"))->click();
        QVERIFY(settings().useExplicitCameraID());
        QVERIFY(byId->isVisible());
        QVERIFY(!child<QComboBox>(screen, QStringLiteral("cameraFacing"))->isVisible());
        QCOMPARE(byId->count(), capabilities.cameras.size());
        int marked = 0;
        for (int index = 0; index < byId->count(); ++index)
            marked += byId->itemText(index).contains(QStringLiteral("Recommended"));
        QCOMPARE(marked, 1);
        QVERIFY(byId->itemText(byId->findData(*capabilities.recommendedCameraId))
                    .contains(QStringLiteral("Recommended")));
        const QString last = capabilities.cameras.last().cameraId;
        byId->setCurrentIndex(byId->findData(last));
        emit byId->activated(byId->currentIndex());
        QCOMPARE(settings().cameraId(), last);
    }

    void pickers_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<QVariant>("setInModel");
        QTest::addColumn<QString>("shown");
        QTest::newRow("size") << "cameraMaxSize"
                              << "maxSize"
                              << "Native" << QVariant::fromValue(0u) << QVariant::fromValue(2560u)
                              << "2560 px";
        QTest::newRow("size outside the presets")
            << "cameraMaxSize"
            << "maxSize"
            << "1280 px" << QVariant::fromValue(1280u) << QVariant::fromValue(1600u) << "1600 px";
        QTest::newRow("facing") << "cameraFacing"
                                << "cameraFacing"
                                << "External" << QVariant(QStringLiteral("external"))
                                << QVariant(QStringLiteral("front")) << "Front";
        QTest::newRow("codec") << "cameraCodec"
                               << "codec"
                               << "H.265" << QVariant(QStringLiteral("h265"))
                               << QVariant(QStringLiteral("av1")) << "AV1";
        QTest::newRow("aspect") << "cameraAspectRatio"
                                << "aspectRatio"
                                << "Sensor" << QVariant(QStringLiteral("sensor"))
                                << QVariant(QStringLiteral("16:9")) << "16:9";
        QTest::newRow("orientation") << "cameraOrientation"
                                     << "captureOrientation"
                                     << "Lock current"
                                     << QVariant::fromValue(std::optional<QString>(QStringLiteral("initial")))
                                     << QVariant::fromValue(std::optional<QString>(QStringLiteral("180")))
                                     << "Lock 180°";
        QTest::newRow("follow") << "cameraOrientation"
                                << "captureOrientation"
                                << "Follow device" << QVariant::fromValue(std::optional<QString>())
                                << QVariant::fromValue(std::optional<QString>(QStringLiteral("0")))
                                << "Lock 0°";
        QTest::newRow("source") << "cameraAudioSource"
                                << "audioSource"
                                << "Device output" << QVariant(QStringLiteral("output"))
                                << QVariant(QStringLiteral("mic")) << "Microphone";
    }

    void pickers()
    {
        QFETCH(QString, name);
        QFETCH(QString, property);
        QFETCH(QString, choice);
        QFETCH(QVariant, written);
        QFETCH(QVariant, setInModel);
        QFETCH(QString, shown);
        CameraModeScreen screen(&model());
        auto *box = child<QComboBox>(screen, name);
        choose(box, choice);
        QCOMPARE(settings().property(qPrintable(property)), written);
        settings().setProperty(qPrintable(property), setInModel);
        QCOMPARE(box->currentText(), shown);
    }

    void toggles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("property");
        QTest::newRow("high speed") << "cameraHighSpeed"
                                    << "High speed"
                                    << "highSpeed";
        QTest::newRow("zoom") << "cameraUseZoom"
                              << "On"
                              << "useZoom";
        QTest::newRow("torch") << "cameraTorch"
                               << "Torch"
                               << "torch";
        QTest::newRow("audio") << "cameraAudio"
                               << "Forward audio"
                               << "audio";
        QTest::newRow("record") << "cameraRecord"
                                << "Record the stream to MP4"
                                << "record";
    }

    void toggles()
    {
        QFETCH(QString, name);
        QFETCH(QString, label);
        QFETCH(QString, property);
        CameraModeScreen screen(&model());
        checkToggleBinding(screen, settings(), name, label, property);
    }

    void framesZoomBitrateAndSize()
    {
        CameraModeScreen screen(&model());
        child<QPushButton>(screen, QStringLiteral("cameraFps24"))->click();
        QCOMPARE(settings().maxFps(), 24u);
        settings().setMaxFps(60);
        QVERIFY(child<QPushButton>(screen, QStringLiteral("cameraFps60"))->isChecked());
        QVERIFY(!child<QPushButton>(screen, QStringLiteral("cameraFps24"))->isChecked());
        settings().setMaxFps(45);
        for (const int fps : {15, 24, 30, 60})
            QVERIFY(!child<QPushButton>(screen, QStringLiteral("cameraFps%1").arg(fps))->isChecked());

        auto *zoom = child<QSlider>(screen, QStringLiteral("cameraZoom"));
        settings().setUseZoom(false);
        QVERIFY(!zoom->isEnabled());
        settings().setUseZoom(true);
        QVERIFY(zoom->isEnabled());
        zoom->setValue(25);
        QCOMPARE(settings().zoom(), 2.5);
        settings().setZoom(3.0);
        QCOMPARE(child<QLabel>(screen, QStringLiteral("cameraZoomValue"))->text(), QStringLiteral("3.0"));

        child<QSlider>(screen, QStringLiteral("cameraBitrate"))->setValue(16);
        QCOMPARE(settings().videoBitRate(), 16.0);
        QCOMPARE(child<QLabel>(screen, QStringLiteral("cameraBitrateValue"))->text(),
                 QStringLiteral("16 Mbps"));

        QTest::keyClicks(child<QLineEdit>(screen, QStringLiteral("cameraSize")), QStringLiteral("1280x720"));
        QCOMPARE(settings().cameraSize(), QStringLiteral("1280x720"));

        auto *source = child<QComboBox>(screen, QStringLiteral("cameraAudioSource"));
        settings().setAudio(false);
        QVERIFY(!source->isEnabled());
    }

    // One control per setting, labels that differ, and no button that can never act.
    void recordingAndLabels()
    {
        CameraModeScreen screen(&model());
        QVERIFY(!screen.findChild<QPushButton *>(QStringLiteral("cameraCaptureFrame")));
        int recordBoxes = 0;
        for (const QCheckBox *box : screen.findChildren<QCheckBox *>())
            recordBoxes += box->text().contains(QStringLiteral("ecord")) ? 1 : 0;
        QCOMPARE(recordBoxes, 1);
        QStringList labels;
        for (const QFormLayout *form : screen.findChildren<QFormLayout *>()) {
            for (int row = 0; row < form->rowCount(); ++row) {
                const QLayoutItem *item = form->itemAt(row, QFormLayout::LabelRole);
                const auto *label = item ? qobject_cast<QLabel *>(item->widget()) : nullptr;
                if (label && !label->text().isEmpty())
                    labels << label->text();
            }
        }
        QCOMPARE(QSet<QString>(labels.cbegin(), labels.cend()).size(), labels.size());
        QCOMPARE(child<QCheckBox>(screen, QStringLiteral("cameraRecord"))->toolTip(),
                 QStringLiteral("Record the camera stream when the session starts"));
        model().setMediaRootOverride(m_world->world.home.path() + QStringLiteral("/Media"));
        child<QPushButton>(screen, QStringLiteral("cameraMediaFolder"))->click();
        QCOMPARE(m_world->opened, QStringList{m_world->world.home.path() + QStringLiteral("/Media")});
    }
};

QTEST_MAIN(TestScreenCamera)
#include "tst_screen_camera.moc"
