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
using namespace Qt::StringLiterals;

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
        auto *probe = child<QPushButton>(screen, u"cameraProbe"_s);
        QVERIFY(!probe->isEnabled());

        m_world->connectPhone();
        QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>(screen, u"cameraRequirement"_s)->text(),
                                  u"Requires Android 12 or newer (SDK 31+). Current: Android 14"_s,
                                  inspectionTimeout);
        probe->click();
        QVERIFY(!probe->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(probe->isEnabled(), inspectionTimeout);
        const CameraCapabilities capabilities = model().cameraCapabilities().value();
        QVERIFY(capabilities.recommendedCameraId.has_value());

        // By id: every probed camera, the recommended one marked.
        auto *byId = child<QComboBox>(screen, u"cameraId"_s);
        QVERIFY(!byId->isVisible());
        QVERIFY(child<QComboBox>(screen, u"cameraFacing"_s)->isVisible());
        child<QCheckBox>(screen, u"cameraUseId"_s)->click();
        QVERIFY(byId->isVisible());
        QVERIFY(!child<QComboBox>(screen, u"cameraFacing"_s)->isVisible());
        QCOMPARE(byId->count(), capabilities.cameras.size());
        int marked = 0;
        for (int index = 0; index < byId->count(); ++index)
            marked += byId->itemText(index).contains(u"Recommended"_s);
        QCOMPARE(marked, 1);
        QVERIFY(byId->itemText(byId->findData(*capabilities.recommendedCameraId)).contains(u"Recommended"_s));
    }

    void pickers_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<QVariant>("setInModel");
        QTest::addColumn<QString>("shown");
        QTest::newRow("size outside the presets")
            << u"cameraMaxSize"_s << u"maxSize"_s << u"1280 px"_s << QVariant::fromValue(1280u)
            << QVariant::fromValue(1600u) << u"1600 px"_s;
        QTest::newRow("facing") << u"cameraFacing"_s << u"cameraFacing"_s << u"External"_s
                                << QVariant(u"external"_s) << QVariant(u"front"_s) << u"Front"_s;
        QTest::newRow("source") << u"cameraAudioSource"_s << u"audioSource"_s << u"Device output"_s
                                << QVariant(u"output"_s) << QVariant(u"mic"_s) << u"Microphone"_s;
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

    void controls()
    {
        CameraModeScreen screen(&model());
        settings().setMaxFps(60);
        QVERIFY(child<QPushButton>(screen, u"cameraFps60"_s)->isChecked());
        settings().setMaxFps(45);
        for (const int fps : {15, 24, 30, 60})
            QVERIFY(!child<QPushButton>(screen, u"cameraFps%1"_s.arg(fps))->isChecked());

        auto *zoom = child<QSlider>(screen, u"cameraZoom"_s);
        settings().setUseZoom(false);
        QVERIFY(!zoom->isEnabled());
        settings().setUseZoom(true);
        QVERIFY(zoom->isEnabled());
        settings().setZoom(3.0);
        QCOMPARE(child<QLabel>(screen, u"cameraZoomValue"_s)->text(), u"3.0"_s);

        settings().setVideoBitRate(16);
        QCOMPARE(child<QLabel>(screen, u"cameraBitrateValue"_s)->text(), u"16 Mbps"_s);

        QTest::keyClicks(child<QLineEdit>(screen, u"cameraSize"_s), u"1280x720"_s);
        QCOMPARE(settings().cameraSize(), u"1280x720"_s);

        auto *source = child<QComboBox>(screen, u"cameraAudioSource"_s);
        settings().setAudio(false);
        QVERIFY(!source->isEnabled());

        // One control per setting, labels that differ, and no button that can never act.
        QVERIFY(!screen.findChild<QPushButton *>(u"cameraCaptureFrame"_s));
        int recordBoxes = 0;
        for (const QCheckBox *box : screen.findChildren<QCheckBox *>())
            recordBoxes += box->text().contains(u"ecord"_s) ? 1 : 0;
        QCOMPARE(recordBoxes, 1);
        checkToggleBinding(screen, settings(), u"cameraRecord"_s, u"record"_s);
        checkToggleBinding(screen, settings(), u"cameraHighSpeed"_s, u"highSpeed"_s);
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
        model().setMediaRootOverride(m_world->world.home.path() + u"/Media"_s);
        child<QPushButton>(screen, u"cameraMediaFolder"_s)->click();
        QCOMPARE(m_world->opened, QStringList{m_world->world.home.path() + u"/Media"_s});
    }
};

QTEST_MAIN(TestScreenCamera)
#include "tst_screen_camera.moc"
