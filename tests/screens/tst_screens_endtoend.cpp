// The application's main window with the real mode screens, against the model and the device simulator:
// settings changed through each screen's controls reach scrcpy's argument list, and the screens' actions
// (the desktop settings' dialog, the move to Wi-Fi and back) reach the simulated phone.
#include "MainWindow.h"
#include "ModeScreens.h"
#include "ModeSidebarRow.h"
#include "PrimaryActionButton.h"
#include "ScreenTesting.h"
#include "StatusMessageRow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>

using namespace quorvane;
using namespace quorvane::app;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

QStringList strings(std::initializer_list<const char *> items)
{
    QStringList list;
    for (const char *item : items)
        list << QString::fromUtf8(item);
    return list;
}

} // namespace

class TestScreensEndToEnd final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenWorld> m_world;
    std::unique_ptr<MainWindow> m_window;

    AppModel &model() { return m_world->model(); }
    DevSim &sim() { return m_world->world.sim; }
    QString home() const { return m_world->world.home.path(); }

    template<typename T>
    T *find(const QString &name)
    {
        return child<T>(*m_window, name);
    }

    // The window as the application shows it, with the simulated Pixel plugged in; returns once the phone
    // is selected, inspected, and Mirror Phone (shown first) has its smart profile on the mirror settings.
    void openWithPhone()
    {
        sim().addPhone(usbSerial);
        model().setOnboardingCompleted(true);
        model().setMediaRootOverride(home() + u"/Media"_s);
        m_window = std::make_unique<MainWindow>(&model());
        installModeScreens(*m_window, model());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTRY_COMPARE_WITH_TIMEOUT(model().selectedSerial(), usbSerial, inspectionTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(model().deviceProfile().has_value(), inspectionTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(model().mirrorRecommendation().has_value(), inspectionTimeout);
    }

    void openMode(const QString &title)
    {
        find<ModeSidebarRow>(u"sidebarRow_"_s + title)->click();
        QCOMPARE(appearance(model().selectedMode()).title, title);
    }

    QJsonObject phoneSettings() { return sim().phone(u"phone1"_s).read().value(u"settings"_s).toObject(); }

    // One user edit, "objectName=value": a picker takes the entry starting with value, a check box "on" or
    // "off", a slider or number field the number, a text field the typed text; a button is pressed.
    void edit(const QString &step)
    {
        const QString name = step.section(QLatin1Char('='), 0, 0);
        const QString value = step.section(QLatin1Char('='), 1);
        auto *control = find<QWidget>(name);
        QVERIFY2(control->isVisible() && control->isEnabled(), qPrintable(step));
        if (auto *box = qobject_cast<QComboBox *>(control)) {
            // Entries that come from a probe appear when it lands.
            QTRY_VERIFY2_WITH_TIMEOUT(box->findText(value, Qt::MatchStartsWith) >= 0, qPrintable(step),
                                      inspectionTimeout);
            const int index = box->findText(value, Qt::MatchStartsWith);
            box->setCurrentIndex(index);
            emit box->activated(index);
        } else if (auto *check = qobject_cast<QCheckBox *>(control)) {
            if (check->isChecked() != (value == QLatin1String("on")))
                check->click();
        } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
            button->click();
        } else if (auto *slider = qobject_cast<QSlider *>(control)) {
            slider->setValue(value.toInt());
        } else if (auto *spin = qobject_cast<QSpinBox *>(control)) {
            spin->selectAll();
            QTest::keyClicks(spin, value);
        } else if (auto *line = qobject_cast<QLineEdit *>(control)) {
            line->selectAll();
            QTest::keyClicks(line, value);
        } else {
            QFAIL(qPrintable(u"no way to edit "_s + step));
        }
    }

    void pressPrimary()
    {
        auto *primary = find<PrimaryActionButton>(u"primaryLaunchButton"_s);
        QTRY_VERIFY2_WITH_TIMEOUT(primary->canTrigger(), qPrintable(primary->disabledHint()),
                                  inspectionTimeout);
        primary->findChild<QPushButton *>(u"primaryActionButton"_s)->click();
    }

private slots:
    void init() { m_world = std::make_unique<ScreenWorld>(); }
    void cleanup()
    {
        m_window.reset();
        m_world.reset();
    }

    void launchFromScreen_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QStringList>("arguments");

        QTest::newRow("mirror")
            << u"Mirror Phone"_s
            << strings({"mirrorResolution=1080p", "mirrorFrameRate=30 fps", "mirrorCodec=H.265",
                        "mirrorBitrate=16", "mirrorAudio=on", "mirrorAudioSource=Device output",
                        "mirrorTurnScreenOff=on", "mirrorOrientation=90°", "mirrorCrop=1080:1920:0:0"})
            << strings({"-s", "R5CW20ABCDE", "--max-size=1080", "--max-fps=30", "--video-codec=h265",
                        "--video-bit-rate=16M", "--audio-source=output", "--turn-screen-off",
                        "--capture-orientation=@90", "--crop=1080:1920:0:0", "--no-clipboard-autosync",
                        "--window-title=Quorvane · R5CW20ABCDE", "--shortcut-mod=lctrl,lalt"});
        QTest::newRow("creator")
            << u"Mirror Phone"_s
            << strings({"mirrorCreatorMode=on", "mirrorResolution=Auto", "mirrorFrameRate=60 fps",
                        "mirrorCodec=H.264", "mirrorAudio=on", "mirrorAudioSource=Microphone",
                        "mirrorStayAwake=on", "mirrorTurnScreenOff=off", "mirrorClipboardSync=on",
                        "mirrorFullscreen=on"})
            << strings({"-s", "R5CW20ABCDE", "--max-fps=60", "--video-codec=h264", "--video-bit-rate=8M",
                        "--audio-source=mic", "--stay-awake", "--show-touches", "--fullscreen",
                        "--window-title=Quorvane · R5CW20ABCDE", "--shortcut-mod=lctrl,lalt"});
        QTest::newRow("camera")
            << u"Camera Mode"_s
            << strings({"cameraProbe", "cameraUseId=on", "cameraId=0 ", "cameraMaxSize=1280 px",
                        "cameraFps24", "cameraCodec=H.265", "cameraBitrate=12", "cameraUseZoom=on",
                        "cameraZoom=25", "cameraTorch=on", "cameraAspectRatio=4:3",
                        "cameraOrientation=Lock 90°", "cameraAudio=off"})
            << strings({"-s", "R5CW20ABCDE", "--video-source=camera", "--camera-id=0", "--max-size=1280",
                        "--camera-ar=4:3", "--camera-fps=24", "--camera-zoom=2.50", "--camera-torch",
                        "--video-codec=h265", "--video-bit-rate=12M", "--no-audio",
                        "--capture-orientation=@90", "--no-clipboard-autosync",
                        "--window-title=Quorvane · R5CW20ABCDE", "--shortcut-mod=lctrl,lalt"});
        QTest::newRow("desktop") << u"Desktop Mode"_s
                                 << strings({"desktopWidth=1600", "desktopHeight=900", "desktopDensity=200",
                                             "desktopFlex=on", "desktopKeepContent=on",
                                             "desktopStartApp=org.example.home", "desktopAudio=on"})
                                 << strings(
                                        {"-s", "R5CW20ABCDE", "--new-display=1600x900/200", "--flex-display",
                                         "--no-vd-destroy-content", "--start-app=org.example.home",
                                         "--display-ime-policy=local", "--max-fps=60", "--video-codec=h264",
                                         "--video-bit-rate=8M", "--audio-source=output", "--keep-active",
                                         "--no-clipboard-autosync", "--window-title=Quorvane · R5CW20ABCDE",
                                         "--shortcut-mod=lctrl,lalt"});
    }

    // Settings changed through a screen's controls, then the session bar's button: the scrcpy session
    // started is exactly the argument list those settings imply.
    void launchFromScreen()
    {
        QFETCH(QString, mode);
        QFETCH(QStringList, edits);
        QFETCH(QStringList, arguments);
        openWithPhone();
        openMode(mode);
        if (mode == QLatin1String("Desktop Mode")) {
            // Its on-show probe sizes the display; edits come after it.
            QTRY_VERIFY_WITH_TIMEOUT(model().desktopCapabilities().has_value() && !model().desktopBusy(),
                                     inspectionTimeout);
        }
        for (const QString &step : std::as_const(edits)) {
            edit(step);
            if (QTest::currentTestFailed())
                return;
        }
        pressPrimary();
        QTRY_VERIFY_WITH_TIMEOUT(model().sessionActive() && !model().launching(), inspectionTimeout);
        QVERIFY2(!model().launchFailed(), qPrintable(model().launchMessage().value_or(QString())));
        QCOMPARE(m_world->world.scrcpySessions(), QList<QStringList>{arguments});
    }

    // The real dialog asks before the phone is touched; declined, nothing reaches the phone.
    void desktopEnableAsksFirst()
    {
        openWithPhone();
        openMode(u"Desktop Mode"_s);
        QTRY_VERIFY_WITH_TIMEOUT(model().desktopCapabilities().has_value() && !model().desktopBusy(),
                                 inspectionTimeout);
        const QJsonObject before = phoneSettings();
        const qsizetype calls = sim().calls().size();
        find<QPushButton>(u"desktopEnable"_s)->click();
        QMessageBox *prompt = nullptr;
        QTRY_VERIFY((prompt = m_window->findChild<QMessageBox *>(u"confirmationPrompt"_s)) &&
                    prompt->isVisible());
        QCOMPARE(prompt->windowTitle(), u"Enable Android desktop windowing?"_s);
        // The question is in the body too: not every window manager draws a title.
        QCOMPARE(prompt->text(), u"Enable Android desktop windowing?"_s);
        QCOMPARE(prompt->informativeText(),
                 QStringLiteral("Quorvane will back up the current Android desktop settings, enable freeform "
                                "and resizable windowing on the phone, and reboot it. You can later restore "
                                "the original values."));
        QStringList buttons;
        for (QAbstractButton *button : prompt->buttons())
            buttons << button->text();
        buttons.sort();
        QCOMPARE(buttons, (QStringList{u"Cancel"_s, u"Enable and reboot the phone"_s}));
        // Enter answers with the default, which must not reboot the phone.
        QTest::keyClick(prompt, Qt::Key_Return);
        QTRY_VERIFY(!prompt->isVisible());
        QVERIFY(!model().desktopBusy());
        QCOMPARE(sim().calls().size(), calls);
        QCOMPARE(phoneSettings(), before);
    }

    // The floating terminal button covers no control of any screen, even in the smallest window, where the
    // pages are most crowded: each can be scrolled until its last control is clear of it.
    void terminalButtonCoversNoControl()
    {
        openWithPhone();
        m_window->resize(m_window->minimumSize());
        auto *button = find<QWidget>(u"sessionTerminalButton"_s);
        for (const QString &mode : {u"Mirror Phone"_s, u"Camera Mode"_s, u"Desktop Mode"_s, u"Wireless"_s,
                                    u"Connection Doctor"_s}) {
            openMode(mode);
            QCoreApplication::processEvents();
            auto *screen = qobject_cast<QWidget *>(m_window->screen(model().selectedMode()));
            auto *scroll = child<QScrollArea>(*screen, u"screenScroll"_s);
            scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
            QCoreApplication::processEvents();
            const QRect covered(button->mapTo(m_window.get(), QPoint()), button->size());
            const QRect viewport(scroll->viewport()->mapTo(m_window.get(), QPoint()),
                                 scroll->viewport()->size());
            for (const QWidget *control : screen->findChildren<QWidget *>()) {
                const bool interactive =
                    qobject_cast<const QAbstractButton *>(control) ||
                    qobject_cast<const QComboBox *>(control) || qobject_cast<const QLineEdit *>(control) ||
                    qobject_cast<const QSlider *>(control) || qobject_cast<const QSpinBox *>(control);
                if (!interactive || !control->isVisible())
                    continue;
                const QRect drawn =
                    QRect(control->mapTo(m_window.get(), QPoint()), control->size()) & viewport;
                QVERIFY2(!drawn.intersects(covered), qPrintable(mode + u": "_s + control->objectName()));
            }
        }
    }

    // USB to Wi-Fi moves the selection to the wireless serial; the way back is offered only then.
    void usbToWifiAndBack()
    {
        openWithPhone();
        openMode(u"Wireless"_s);
        auto *toWifi = find<QPushButton>(u"wirelessToWifi"_s);
        auto *toUsb = find<QPushButton>(u"wirelessToUsb"_s);
        QVERIFY(!toUsb->isEnabled());
        toWifi->click();
        QVERIFY(!toWifi->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(model().selectedSerial(), wifiSerial, inspectionTimeout);
        QTRY_VERIFY(!model().wirelessBusy());
        auto *status = find<StatusMessageRow>(u"wirelessStatus"_s);
        QCOMPARE(
            status->message(),
            QStringLiteral("Wireless connection established at 192.168.1.20:5555. You can unplug the USB "
                           "cable now."));
        // One phone, reached two ways, picked through the transport in use.
        auto *picker = find<QComboBox>(u"devicePicker"_s);
        QTRY_COMPARE(picker->count(), 1);
        QCOMPARE(picker->currentText(), u"Pixel 8 (USB + Wi-Fi)"_s);
        QCOMPARE(picker->currentData().toString(), wifiSerial);
        QVERIFY(toUsb->isEnabled() && !toWifi->isEnabled());

        toUsb->click();
        QTRY_VERIFY(!model().wirelessBusy());
        QCOMPARE(model().selectedSerial(), usbSerial);
        QCOMPARE(status->message(), u"USB connection is active. Wireless ADB has been disconnected."_s);
    }
};

QTEST_MAIN(TestScreensEndToEnd)
#include "tst_screens_endtoend.moc"
