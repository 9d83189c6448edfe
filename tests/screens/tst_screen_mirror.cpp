// The Mirror Phone screen against the simulator: every setting bound both ways, the device card, the smart
// profile asked for when shown, saved profiles, quick actions and dropped files reaching the phone.
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

    // The application shows this screen before any phone is known, when the card asks for one; each
    // inspection that lands while it is shown clears the recommendation and the screen asks for a new one,
    // whose label and reasons the card shows. Hidden, it waits for its next show; shown with a
    // recommendation, it asks for none (a new one would overwrite the user's size).
    void smartProfileFollowsTheInspections()
    {
        MirrorPhoneScreen screen(&model());
        ScreenWorld::show(screen);
        auto *empty = child<QLabel>(screen, u"mirrorDeviceEmpty"_s);
        QCOMPARE(empty->text(), u"Choose a phone at the bottom of the window."_s);
        QVERIFY(empty->isVisible());
        QVERIFY(!child<QLabel>(screen, u"mirrorDeviceModel"_s)->isVisible());
        // Both ask the phone, so without one they wait.
        QVERIFY(!child<QPushButton>(screen, u"mirrorScreenshot"_s)->isEnabled());
        QVERIFY(!child<QPushButton>(screen, u"mirrorRecompute"_s)->isEnabled());
        Recorder<bool> present(&model(), &AppModel::mirrorRecommendationChanged,
                               [this] { return model().mirrorRecommendation().has_value(); });
        m_world->connectPhone();
        QTRY_COMPARE_WITH_TIMEOUT(present.values, QList<bool>{true}, inspectionTimeout);
        QTRY_COMPARE(child<QLabel>(screen, u"mirrorDeviceVersion"_s)->text(), u"Android 14"_s);
        QCOMPARE(child<QLabel>(screen, u"mirrorDeviceModel"_s)->text(), u"Pixel 8"_s);
        QCOMPARE(child<QLabel>(screen, u"mirrorDeviceConnection"_s)->text(), u"USB"_s);
        const Recommendation recommendation = *model().mirrorRecommendation();
        QTRY_COMPARE(child<QLabel>(screen, u"mirrorQualityLabel"_s)->text(), recommendation.qualityLabel);
        const QString rationale = child<QLabel>(screen, u"mirrorRationale"_s)->text();
        QVERIFY(!recommendation.rationale.isEmpty());
        for (const QString &line : recommendation.rationale)
            QVERIFY2(rationale.contains(u"• "_s + line), qPrintable(line));

        model().refreshInspection();
        QTRY_COMPARE_WITH_TIMEOUT(present.values, (QList<bool>{true, false, true}), inspectionTimeout);

        screen.hide();
        model().refreshInspection();
        QTRY_COMPARE_WITH_TIMEOUT(present.values.size(), 4, inspectionTimeout);
        qsizetype calls = m_world->world.sim.calls().size();
        // Nothing to wait for when nothing happens: give a wrongly started recommendation time to show up.
        QTest::qWait(300);
        QCOMPARE(m_world->world.sim.calls().size(), calls);
        QVERIFY(!model().mirrorRecommendation());
        screen.show();
        QTRY_COMPARE_WITH_TIMEOUT(present.values.size(), 5, inspectionTimeout);
        QCOMPARE(present.values.last(), true);

        settings().setMaxSize(720);
        calls = m_world->world.sim.calls().size();
        screen.hide();
        screen.show();
        QTest::qWait(300);
        QCOMPARE(m_world->world.sim.calls().size(), calls);
        QCOMPARE(settings().maxSize(), 720u);
        // The user's size stays over a recomputed profile, until Reset to Auto.
        child<QPushButton>(screen, u"mirrorRecompute"_s)->click();
        QTRY_VERIFY(m_world->world.sim.calls().size() > calls);
        child<QPushButton>(screen, u"mirrorResetToAuto"_s)->click();
        QTRY_VERIFY(!model().resettingToAuto());
        QCOMPARE(settings().maxSize(), model().mirrorRecommendation()->maxSize);
    }

    void pickers_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<QVariant>("setInModel");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("ownEntry");
        // What the smart profile recommends for Wi-Fi is no preset: it is shown rather than a blank.
        QTest::newRow("recommended resolution")
            << u"mirrorResolution"_s << u"1080p"_s << QVariant::fromValue(1080u) << QVariant::fromValue(1280u)
            << u"1280p"_s << true;
        QTest::newRow("learned frame rate") << u"mirrorFrameRate"_s << u"30 fps"_s << QVariant::fromValue(30u)
                                            << QVariant::fromValue(45u) << u"45 fps"_s << true;
        QTest::newRow("orientation") << u"mirrorOrientation"_s << u"90°"_s
                                     << QVariant::fromValue(std::optional<QString>(u"90"_s))
                                     << QVariant::fromValue(std::optional<QString>()) << u"Follow device"_s
                                     << false;
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
            {u"mirrorResolution"_s, "maxSize"},
            {u"mirrorFrameRate"_s, "maxFps"},
            {u"mirrorOrientation"_s, "captureOrientation"}}.at(name));
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

    void recordingNoteBitrateCropAndAudioSource()
    {
        MirrorPhoneScreen screen(&model());
        ScreenWorld::show(screen);
        // One control for one setting.
        int recordBoxes = 0;
        for (const QCheckBox *box : screen.findChildren<QCheckBox *>())
            recordBoxes += box->text().contains(u"ecord"_s) ? 1 : 0;
        QCOMPARE(recordBoxes, 1);
        checkToggleBinding(screen, settings(), u"mirrorRecord"_s, u"record"_s);
        // The end-to-end launches leave these two at their defaults, so no click of theirs is seen there.
        checkToggleBinding(screen, settings(), u"mirrorStayAwake"_s, u"stayAwake"_s);
        checkToggleBinding(screen, settings(), u"mirrorAudio"_s, u"audio"_s);
        // The folder Linux uses for videos, which is where recordings go by default.
        QCOMPARE(child<QLabel>(screen, u"mirrorRecordNote"_s)->text(),
                 QStringLiteral(
                     "Saved to ~/Videos/Quorvane/Recordings/<date>/, or the folder chosen in Settings."));

        settings().setVideoBitRate(12);
        QCOMPARE(child<QSlider>(screen, u"mirrorBitrate"_s)->value(), 12);
        QCOMPARE(child<QLabel>(screen, u"mirrorBitrateValue"_s)->text(), u"12 Mbps"_s);
        settings().setCrop(u"1080:1920:0:0"_s);
        QCOMPARE(child<QLineEdit>(screen, u"mirrorCrop"_s)->text(), u"1080:1920:0:0"_s);

        auto *source = child<QComboBox>(screen, u"mirrorAudioSource"_s);
        settings().setAudio(false);
        QVERIFY(!source->isEnabled());
        settings().setAudio(true);
        QVERIFY(source->isEnabled());
    }

    // Save names the preset after the count; Apply and Delete act on the chosen one only.
    void profiles()
    {
        MirrorPhoneScreen screen(&model());
        auto *picker = child<QComboBox>(screen, u"mirrorProfile"_s);
        auto *apply = child<QPushButton>(screen, u"mirrorProfileApply"_s);
        auto *remove = child<QPushButton>(screen, u"mirrorProfileDelete"_s);
        QCOMPARE(picker->count(), 1);
        QCOMPARE(picker->currentText(), u"None"_s);
        QVERIFY(!apply->isEnabled() && !remove->isEnabled());

        settings().setMaxSize(1080);
        child<QPushButton>(screen, u"mirrorProfileSave"_s)->click();
        child<QPushButton>(screen, u"mirrorProfileSave"_s)->click();
        QCOMPARE(picker->count(), 3);
        QCOMPARE(model().profiles().at(1).name, u"Profile 2"_s);
        choose(picker, u"Profile 1"_s);
        QCOMPARE(model().selectedProfileId(), model().profiles().first().id);
        QVERIFY(apply->isEnabled() && remove->isEnabled());
        settings().setMaxSize(720);
        apply->click();
        QCOMPARE(settings().maxSize(), 1080u);
        remove->click();
        QCOMPARE(picker->count(), 2);
        choose(picker, u"None"_s);
        QCOMPARE(model().selectedProfileId(), std::nullopt);
    }

    void screenshotAndMediaFolder()
    {
        await(model().captureScreenshot(std::nullopt));
        QCOMPARE(model().launchMessage(), std::nullopt);
        m_world->connectPhone();
        model().setMediaRootOverride(m_world->world.home.path() + u"/Media"_s);
        MirrorPhoneScreen screen(&model());
        auto *shot = child<QPushButton>(screen, u"mirrorScreenshot"_s);
        shot->click();
        QVERIFY(!shot->isEnabled());
        QTRY_VERIFY(shot->isEnabled());
        const QString path = model().launchMessage().value_or(QString()).section(u" to "_s, 1);
        QVERIFY2(path.startsWith(m_world->world.home.path() + u"/Media/Screenshots/"_s), qPrintable(path));
        QCOMPARE(model().launchMessage(), u"Screenshot saved to "_s + path);
        QCOMPARE(model().logLines().last(), u"Screenshot captured: "_s + path);
        QFile png(path);
        QVERIFY(png.open(QIODevice::ReadOnly));
        QCOMPARE(png.read(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
        auto *media = child<QPushButton>(screen, u"mirrorMediaFolder"_s);
        QCOMPARE(media->toolTip(), u"Open recordings and screenshots"_s);
        media->click();
        QCOMPARE(m_world->opened, QStringList{m_world->world.home.path() + u"/Media"_s});
    }

    // Dragging files over the screen highlights it as one drop target; leaving clears it; a drop hands every
    // file to the model, which pushes them in turn.
    void droppedFilesArePushed()
    {
        m_world->connectPhone();
        MirrorPhoneScreen screen(&model());
        ScreenWorld::show(screen);
        QList<QUrl> urls;
        for (const QString &name : {QStringLiteral("notes.pdf"), QStringLiteral("photo.jpg")}) {
            QFile file(m_world->world.home.file(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("data");
            urls.append(QUrl::fromLocalFile(file.fileName()));
        }
        QMimeData data;
        data.setUrls(urls);
        auto *zone = child<QWidget>(screen, QStringLiteral("mirrorDropZone"));
        QVERIFY(!zone->isVisible());
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&screen, &enter);
        QVERIFY(enter.isAccepted());
        QVERIFY(zone->isVisible());
        QCOMPARE(zone->geometry(), screen.rect());
        QDragLeaveEvent leave;
        QApplication::sendEvent(&screen, &leave);
        QVERIFY(!zone->isVisible());
        QApplication::sendEvent(&screen, &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&screen, &drop);
        QVERIFY(drop.isAccepted());
        QVERIFY(!zone->isVisible());
        auto *status = child<StatusMessageRow>(screen, QStringLiteral("mirrorFileTransfer"));
        auto *cancel = child<QPushButton>(screen, QStringLiteral("mirrorFileTransferCancel"));
        QCOMPARE(status->message(), QStringLiteral("Pushing notes.pdf (1 of 2)…"));
        QVERIFY(cancel->isVisible() && cancel->isEnabled());
        QTRY_COMPARE(status->message(), QStringLiteral("Sent 2 files to /sdcard/Download."));
        QVERIFY(!cancel->isVisible());
        QVERIFY(drawnIn(status->grab().toImage(), Theme::color(Tone::Success)));
        // Text that is not a file is no drop for this screen.
        QMimeData text;
        text.setText(QStringLiteral("hello"));
        QDragEnterEvent words(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&screen, &words);
        QVERIFY(!words.isAccepted());
        QVERIFY(!zone->isVisible());
    }

    // A refused push is drawn as a failure, never with the tick of a sent file. The refusal without a phone
    // is the model test's; it takes the same drawing.
    void refusedPushesAreFailures()
    {
        m_world->connectPhone();
        MirrorPhoneScreen screen(&model());
        ScreenWorld::show(screen);
        QFile file(m_world->world.home.file(u"movie.mp4"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(qint64(501) * 1024 * 1024)); // sparse: takes no room on the disk
        file.close();
        await(model().pushFiles({file.fileName()}));
        auto *status = child<StatusMessageRow>(screen, QStringLiteral("mirrorFileTransfer"));
        QCOMPARE(status->message(), u"File too large (>500 MB)."_s);
        const QImage drawn = status->grab().toImage();
        QVERIFY(drawnIn(drawn, Theme::color(Tone::Danger)));
        QVERIFY(!drawnIn(drawn, Theme::color(Tone::Success)));
    }
};

QTEST_MAIN(TestScreenMirror)
#include "tst_screen_mirror.moc"
