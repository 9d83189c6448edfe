// The Mirror Phone screen against the simulator: every setting bound both ways, the device card, the smart
// profile asked for when shown, saved profiles, quick actions and a dropped file reaching the phone.
#include "MirrorPhoneScreen.h"
#include "ScreenTesting.h"
#include "StatusMessageRow.h"
#include "Theme.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>

using namespace quorvane;
using namespace quorvane::app;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

class TestScreenMirror final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenWorld> m_world;

    AppModel &model() { return m_world->model(); }
    MirrorPhoneSettings &settings() { return *model().mirrorState(); }

private slots:
    void init() { m_world = std::make_unique<ScreenWorld>(); }
    void cleanup() { m_world.reset(); }

    void withoutADevice()
    {
        MirrorPhoneScreen screen(&model());
        ScreenWorld::show(screen);
        auto *empty = child<QLabel>(screen, QStringLiteral("mirrorDeviceEmpty"));
        QCOMPARE(empty->text(), QStringLiteral("Choose a phone at the bottom of the window."));
        QVERIFY(empty->isVisible());
        QVERIFY(!child<QLabel>(screen, QStringLiteral("mirrorDeviceModel"))->isVisible());
        // Both ask the phone, so without one they wait.
        QVERIFY(!child<QPushButton>(screen, QStringLiteral("mirrorScreenshot"))->isEnabled());
        QVERIFY(!child<QPushButton>(screen, QStringLiteral("mirrorRecompute"))->isEnabled());
    }

    // Shown without a recommendation it asks for one; the card shows its label and reasons. The screen is
    // shown while the phone's first inspection is still under way, which clears whatever recommendation
    // landed before it: the screen asks again then.
    void deviceAndSmartProfile()
    {
        m_world->connectPhone();
        MirrorPhoneScreen screen(&model());
        QVERIFY(!model().mirrorRecommendation());
        ScreenWorld::show(screen);
        QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>(screen, QStringLiteral("mirrorDeviceVersion"))->text(),
                                  QStringLiteral("Android 14"), inspectionTimeout);
        QCOMPARE(child<QLabel>(screen, QStringLiteral("mirrorDeviceModel"))->text(),
                 QStringLiteral("Pixel 8"));
        QCOMPARE(child<QLabel>(screen, QStringLiteral("mirrorDeviceConnection"))->text(),
                 QStringLiteral("USB"));
        // The inspection has landed (and cleared any earlier recommendation): this one is for good.
        QTRY_VERIFY_WITH_TIMEOUT(model().mirrorRecommendation().has_value(), inspectionTimeout);
        const Recommendation recommendation = *model().mirrorRecommendation();
        QCOMPARE(child<QLabel>(screen, QStringLiteral("mirrorQualityLabel"))->text(),
                 recommendation.qualityLabel);
        const QString rationale = child<QLabel>(screen, QStringLiteral("mirrorRationale"))->text();
        QVERIFY(!recommendation.rationale.isEmpty());
        for (const QString &line : recommendation.rationale)
            QVERIFY2(rationale.contains(QStringLiteral("• ") + line), qPrintable(line));

        // A recommendation present: showing again asks for none (a new one would overwrite the size).
        settings().setMaxSize(720);
        const qsizetype calls = m_world->world.sim.calls().size();
        screen.hide();
        screen.show();
        // Nothing to wait for when nothing happens: give a wrongly started inspection time to show up.
        QTest::qWait(300);
        QCOMPARE(m_world->world.sim.calls().size(), calls);
        QCOMPARE(settings().maxSize(), 720u);
        // The user's size stays over a recomputed profile, until Reset to Auto.
        child<QPushButton>(screen, QStringLiteral("mirrorRecompute"))->click();
        QTRY_VERIFY(m_world->world.sim.calls().size() > calls);
        child<QPushButton>(screen, QStringLiteral("mirrorResetToAuto"))->click();
        QTRY_VERIFY(!model().resettingToAuto());
        QCOMPARE(settings().maxSize(), model().mirrorRecommendation()->maxSize);
    }

    // The application shows this screen before any phone is known; each inspection that lands while it is
    // shown clears the recommendation and the screen asks for a new one. Hidden, it waits for its next show.
    void askedAgainWhenAnInspectionLands()
    {
        MirrorPhoneScreen screen(&model());
        ScreenWorld::show(screen);
        Recorder<bool> present(&model(), &AppModel::mirrorRecommendationChanged,
                               [this] { return model().mirrorRecommendation().has_value(); });
        m_world->connectPhone();
        QTRY_COMPARE_WITH_TIMEOUT(present.values, QList<bool>{true}, inspectionTimeout);
        QVERIFY(model().deviceProfile().has_value());
        QTRY_VERIFY(!child<QLabel>(screen, QStringLiteral("mirrorQualityLabel"))->text().isEmpty());

        model().refreshInspection();
        QTRY_COMPARE_WITH_TIMEOUT(present.values, (QList<bool>{true, false, true}), inspectionTimeout);

        screen.hide();
        model().refreshInspection();
        QTRY_COMPARE_WITH_TIMEOUT(present.values.size(), 4, inspectionTimeout);
        const qsizetype calls = m_world->world.sim.calls().size();
        // Nothing to wait for when nothing happens: give a wrongly started recommendation time to show up.
        QTest::qWait(300);
        QCOMPARE(m_world->world.sim.calls().size(), calls);
        QVERIFY(!model().mirrorRecommendation());
        screen.show();
        QTRY_COMPARE_WITH_TIMEOUT(present.values.size(), 5, inspectionTimeout);
        QCOMPARE(present.values.last(), true);
    }

    void pickers_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<QVariant>("setInModel");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("ownEntry");
        QTest::newRow("resolution") << u"mirrorResolution"_s << u"720p"_s << QVariant::fromValue(720u)
                                    << QVariant::fromValue(0u) << u"Auto"_s << false;
        // What the smart profile recommends for Wi-Fi is no preset: it is shown rather than a blank.
        QTest::newRow("recommended resolution")
            << u"mirrorResolution"_s << u"1080p"_s << QVariant::fromValue(1080u) << QVariant::fromValue(1280u)
            << u"1280p"_s << true;
        QTest::newRow("frame rate") << u"mirrorFrameRate"_s << u"120 fps"_s << QVariant::fromValue(120u)
                                    << QVariant::fromValue(0u) << u"Auto"_s << false;
        QTest::newRow("frame rate 15") << u"mirrorFrameRate"_s << u"15 fps"_s << QVariant::fromValue(15u)
                                       << QVariant::fromValue(90u) << u"90 fps"_s << false;
        QTest::newRow("learned frame rate") << u"mirrorFrameRate"_s << u"30 fps"_s << QVariant::fromValue(30u)
                                            << QVariant::fromValue(45u) << u"45 fps"_s << true;
        QTest::newRow("codec") << u"mirrorCodec"_s << u"AV1"_s << QVariant(QStringLiteral("av1"))
                               << QVariant(QStringLiteral("h265")) << u"H.265"_s << false;
        QTest::newRow("audio source")
            << u"mirrorAudioSource"_s << u"Microphone"_s << QVariant(QStringLiteral("mic"))
            << QVariant(QStringLiteral("output")) << u"Device output"_s << false;
        QTest::newRow("orientation") << u"mirrorOrientation"_s << u"90°"_s
                                     << QVariant::fromValue(std::optional<QString>(QStringLiteral("90")))
                                     << QVariant::fromValue(std::optional<QString>()) << u"Follow device"_s
                                     << false;
        QTest::newRow("orientation initial")
            << u"mirrorOrientation"_s << u"Initial orientation"_s
            << QVariant::fromValue(std::optional<QString>(QStringLiteral("initial")))
            << QVariant::fromValue(std::optional<QString>(QStringLiteral("270"))) << u"270°"_s << false;
    }

    void pickers()
    {
        QFETCH(QString, name);
        QFETCH(QString, choice);
        QFETCH(QVariant, written);
        QFETCH(QVariant, setInModel);
        QFETCH(QString, shown);
        QFETCH(bool, ownEntry);
        MirrorPhoneScreen screen(&model());
        auto *box = child<QComboBox>(screen, name);
        const int presets = box->count();
        const QByteArray property = QByteArray::fromStdString(std::map<QString, std::string>{
            {QStringLiteral("mirrorResolution"), "maxSize"},
            {QStringLiteral("mirrorFrameRate"), "maxFps"},
            {QStringLiteral("mirrorCodec"), "codec"},
            {QStringLiteral("mirrorAudioSource"), "audioSource"},
            {QStringLiteral("mirrorOrientation"),
             "captureOrientation"}}.at(name));
        choose(box, choice);
        QCOMPARE(settings().property(property), written);
        settings().setProperty(property, setInModel);
        QCOMPARE(box->currentText(), shown);
        QCOMPARE(box->count(), presets + (ownEntry ? 1 : 0));
        // A preset chosen again takes the extra entry away.
        choose(box, choice);
        QCOMPARE(settings().property(property), written);
        QCOMPARE(box->count(), presets);
    }

    void toggles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("property");
        QTest::newRow("creator") << u"mirrorCreatorMode"_s << u"Creator Mode (show touches on screen)"_s
                                 << u"isCreatorMode"_s;
        QTest::newRow("awake") << u"mirrorStayAwake"_s << u"Keep the phone awake while mirroring"_s
                               << u"stayAwake"_s;
        QTest::newRow("screen off") << u"mirrorTurnScreenOff"_s << u"Turn the phone screen off"_s
                                    << u"turnScreenOff"_s;
        QTest::newRow("clipboard") << u"mirrorClipboardSync"_s
                                   << u"Sync clipboard between computer and phone"_s << u"clipboardSync"_s;
        QTest::newRow("fullscreen") << u"mirrorFullscreen"_s << u"Start with a fullscreen window"_s
                                    << u"fullscreen"_s;
        QTest::newRow("record") << u"mirrorRecord"_s << u"Record the session to MP4"_s << u"record"_s;
        QTest::newRow("audio") << u"mirrorAudio"_s << u"Forward audio"_s << u"audio"_s;
    }

    void toggles()
    {
        QFETCH(QString, name);
        QFETCH(QString, label);
        QFETCH(QString, property);
        MirrorPhoneScreen screen(&model());
        checkToggleBinding(screen, settings(), name, label, property);
    }

    void recordingNoteBitrateCropAndAudioSource()
    {
        MirrorPhoneScreen screen(&model());
        ScreenWorld::show(screen);
        // One control for one setting.
        int recordBoxes = 0;
        for (const QCheckBox *box : screen.findChildren<QCheckBox *>())
            recordBoxes += box->text().contains(QStringLiteral("ecord")) ? 1 : 0;
        QCOMPARE(recordBoxes, 1);
        // The folder Linux uses for videos, which is where recordings go by default.
        QCOMPARE(child<QLabel>(screen, QStringLiteral("mirrorRecordNote"))->text(),
                 QStringLiteral(
                     "Saved to ~/Videos/Quorvane/Recordings/<date>/, or the folder chosen in Settings."));

        auto *bitrate = child<QSlider>(screen, QStringLiteral("mirrorBitrate"));
        QCOMPARE(bitrate->minimum(), 2);
        QCOMPARE(bitrate->maximum(), 40);
        settings().setVideoBitRate(12);
        QCOMPARE(bitrate->value(), 12);
        QCOMPARE(child<QLabel>(screen, QStringLiteral("mirrorBitrateValue"))->text(),
                 QStringLiteral("12 Mbps"));

        auto *crop = child<QLineEdit>(screen, QStringLiteral("mirrorCrop"));
        QCOMPARE(crop->placeholderText(), QStringLiteral("e.g. 1080:1920:0:0"));
        settings().setCrop(QStringLiteral("1080:1920:0:0"));
        QCOMPARE(crop->text(), QStringLiteral("1080:1920:0:0"));

        auto *source = child<QComboBox>(screen, QStringLiteral("mirrorAudioSource"));
        settings().setAudio(false);
        QVERIFY(!source->isEnabled());
        settings().setAudio(true);
        QVERIFY(source->isEnabled());
    }

    // Save names the preset after the count; Apply and Delete act on the chosen one only.
    void profiles()
    {
        MirrorPhoneScreen screen(&model());
        auto *picker = child<QComboBox>(screen, QStringLiteral("mirrorProfile"));
        auto *apply = child<QPushButton>(screen, QStringLiteral("mirrorProfileApply"));
        auto *remove = child<QPushButton>(screen, QStringLiteral("mirrorProfileDelete"));
        QCOMPARE(picker->count(), 1);
        QCOMPARE(picker->currentText(), QStringLiteral("None"));
        QVERIFY(!apply->isEnabled() && !remove->isEnabled());

        settings().setMaxSize(1080);
        child<QPushButton>(screen, QStringLiteral("mirrorProfileSave"))->click();
        child<QPushButton>(screen, QStringLiteral("mirrorProfileSave"))->click();
        QCOMPARE(model().profiles().size(), 2);
        QCOMPARE(model().profiles().at(1).name, QStringLiteral("Profile 2"));
        QCOMPARE(picker->count(), 3);
        choose(picker, QStringLiteral("Profile 1"));
        QCOMPARE(model().selectedProfileId(), model().profiles().first().id);
        QVERIFY(apply->isEnabled() && remove->isEnabled());
        settings().setMaxSize(720);
        apply->click();
        QCOMPARE(settings().maxSize(), 1080u);
        remove->click();
        QCOMPARE(model().profiles().size(), 1);
        QCOMPARE(picker->count(), 2);
        choose(picker, QStringLiteral("None"));
        QCOMPARE(model().selectedProfileId(), std::nullopt);
        QVERIFY(!apply->isEnabled());
    }

    void screenshotAndMediaFolder()
    {
        await(model().captureScreenshot(std::nullopt));
        QCOMPARE(model().launchMessage(), std::nullopt);
        m_world->connectPhone();
        model().setMediaRootOverride(m_world->world.home.path() + QStringLiteral("/Media"));
        MirrorPhoneScreen screen(&model());
        auto *shot = child<QPushButton>(screen, QStringLiteral("mirrorScreenshot"));
        shot->click();
        QVERIFY(model().capturingScreenshot());
        QVERIFY(!shot->isEnabled());
        QTRY_VERIFY(!model().capturingScreenshot());
        QVERIFY(shot->isEnabled());
        const QString path = model().launchMessage().value_or(QString()).section(QStringLiteral(" to "), 1);
        QVERIFY2(path.startsWith(m_world->world.home.path() + QStringLiteral("/Media/Screenshots/")),
                 qPrintable(path));
        QCOMPARE(model().launchMessage(), QStringLiteral("Screenshot saved to ") + path);
        QCOMPARE(model().logLines().last(), QStringLiteral("Screenshot captured: ") + path);
        QFile png(path);
        QVERIFY(png.open(QIODevice::ReadOnly));
        QCOMPARE(png.read(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
        auto *media = child<QPushButton>(screen, QStringLiteral("mirrorMediaFolder"));
        QCOMPARE(media->toolTip(), QStringLiteral("Open recordings and screenshots"));
        media->click();
        QCOMPARE(m_world->opened, QStringList{m_world->world.home.path() + QStringLiteral("/Media")});
    }

    // Dropped on a card deep inside the screen, the file goes up to the screen, which pushes it.
    void droppedFileIsPushed()
    {
        m_world->connectPhone();
        MirrorPhoneScreen screen(&model());
        ScreenWorld::show(screen);
        const QString notes = m_world->world.home.file(QStringLiteral("notes.pdf"));
        QFile file(notes);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("%PDF-1.7");
        file.close();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(notes)});
        auto *target = child<QLabel>(screen, QStringLiteral("mirrorQualityLabel"));
        QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QVERIFY(drop.isAccepted());
        auto *status = child<StatusMessageRow>(screen, QStringLiteral("mirrorFileTransfer"));
        QTRY_COMPARE(status->message(), QStringLiteral("Sent notes.pdf to /sdcard/Download."));
        QVERIFY(status->isVisible());
        QCOMPARE(status->tone(), MessageTone::Success);
        QVERIFY(drawnIn(status->grab().toImage(), Theme::color(Tone::Success)));
        const QJsonObject pushed =
            m_world->world.sim.phone(QStringLiteral("phone1"))
                .read()[QStringLiteral("files")][QStringLiteral("/sdcard/Download/notes.pdf")]
                .toObject();
        QCOMPARE(pushed[QStringLiteral("size")].toInt(), 8);
        QCOMPARE(pushed[QStringLiteral("source")].toString(), notes);
    }

    // A refused or failed push is drawn as a failure, never with the tick of a sent file.
    void refusedPushesAreFailures_data()
    {
        QTest::addColumn<bool>("phone");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("message");
        QTest::newRow("no phone") << false << qint64(8) << QStringLiteral("No device selected.");
        QTest::newRow("too large") << true << qint64(501) * 1024 * 1024
                                   << QStringLiteral("File too large (>500 MB).");
    }

    void refusedPushesAreFailures()
    {
        QFETCH(bool, phone);
        QFETCH(qint64, size);
        QFETCH(QString, message);
        if (phone)
            m_world->connectPhone();
        MirrorPhoneScreen screen(&model());
        ScreenWorld::show(screen);
        QFile file(m_world->world.home.file(QStringLiteral("movie.mp4")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(size)); // sparse: takes no room on the disk
        file.close();
        await(model().pushFile(file.fileName()));
        auto *status = child<StatusMessageRow>(screen, QStringLiteral("mirrorFileTransfer"));
        QCOMPARE(status->message(), message);
        QCOMPARE(status->tone(), MessageTone::Failure);
        const QImage drawn = status->grab().toImage();
        QVERIFY(drawnIn(drawn, Theme::color(Tone::Danger)));
        QVERIFY(!drawnIn(drawn, Theme::color(Tone::Success)));
    }
};

QTEST_MAIN(TestScreenMirror)
#include "tst_screen_mirror.moc"
