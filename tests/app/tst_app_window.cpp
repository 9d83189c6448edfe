// The main window's session bar, footer, session terminal and onboarding sheet against the model and the
// device simulator (offscreen).
#include "AboutWindow.h"
#include "ApplicationVersion.h"
#include "ConfirmationPrompt.h"
#include "DesktopTray.h"
#include "Footer.h"
#include "LaunchMessageBadge.h"
#include "MainWindow.h"
#include "ModeScreens.h"
#include "ModelTesting.h"
#include "OnboardingSheet.h"
#include "PrimaryActionButton.h"
#include "RuntimeLocator.h"
#include "SessionBar.h"
#include "SessionTerminal.h"
#include "SettingsWindow.h"
#include "StatusPill.h"
#include "Theme.h"
#include "UserDefaults.h"
#include "WidgetLookup.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTextBlock>

using namespace quorvane;
using namespace quorvane::app;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

const QString serial = QStringLiteral("R5CT1234");

} // namespace

class TestAppWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ModelWorld> m_world;
    std::unique_ptr<MainWindow> m_window;

    AppModel &model() { return m_world->model(); }

    template<typename T>
    T *find(const QString &name)
    {
        return child<T>(*m_window, name);
    }

    QString pill(const QString &name) { return find<StatusPill>(name)->text(); }
    QString label(const QString &name) { return find<QLabel>(name)->text(); }
    PrimaryActionButton *primary()
    {
        return find<PrimaryActionButton>(QStringLiteral("primaryLaunchButton"));
    }

    void openWindow()
    {
        model().setOnboardingCompleted(true);
        m_window = std::make_unique<MainWindow>(&model());
        model().refreshRuntimeStatus();
        QTRY_VERIFY(model().runtimeHealthy());
    }

    void connectPhone(const QString &state = QStringLiteral("device"))
    {
        m_world->connectPhone(serial, state);
    }

    void launch()
    {
        connectPhone();
        QTRY_VERIFY(model().canLaunch());
        await(model().launchCurrentMode());
        QVERIFY(model().sessionActive());
    }

private slots:
    void init() { m_world = std::make_unique<ModelWorld>(); }
    void cleanup()
    {
        m_window.reset();
        m_world.reset();
        RuntimeLocator::setWellKnownDirectoriesOverride(std::nullopt);
        ConfirmationPrompt::reset();
    }

    void withoutADevice()
    {
        openWindow();
        await(model().refreshDevices());
        QCOMPARE(pill(QStringLiteral("sessionStatePill")), QStringLiteral("No session"));
        QCOMPARE(label(QStringLiteral("sessionDeviceText")), QStringLiteral("No device"));
        QVERIFY(!primary()->canTrigger());
        QCOMPARE(primary()->disabledHint(),
                 QStringLiteral("Choose a phone at the bottom of the window first."));
        QCOMPARE(primary()->caption(), QStringLiteral("Starts the current session."));
        QCOMPARE(pill(QStringLiteral("footerStatusPill")), QStringLiteral("No device"));
        auto *picker = find<QComboBox>(QStringLiteral("devicePicker"));
        QCOMPARE(picker->currentText(), QStringLiteral("No devices detected"));
        QVERIFY(!picker->isEnabled());
        QCOMPARE(label(QStringLiteral("activeSessionsText")), QStringLiteral("0 session(s)"));
        QVERIFY(!find<QPushButton>(QStringLiteral("stopAllButton"))->isEnabled());
        QVERIFY(!m_window->findChild<QAction *>(QStringLiteral("startSessionAction"))->isEnabled());
    }

    // The footer's pill and the launch button's hint carry the core's sentences about the tools.
    void withUnusableTools_data()
    {
        QTest::addColumn<bool>("missing");
        QTest::addColumn<QString>("footer");
        QTest::addColumn<QString>("hint"); // $SCRCPY stands for the simulator's scrcpy
        const QString advice = QStringLiteral(
            ", but Quorvane needs scrcpy 4.0 or newer: unpack the scrcpy project's Linux release archive "
            "anywhere, then set its scrcpy in Settings (for quorvanectl, --scrcpy PATH) or put its folder "
            "on PATH.");
        QTest::newRow("missing")
            << true << u"Runtime missing"_s
            << QStringLiteral(
                   "adb was not found: install Debian's adb package or Android platform-tools, then "
                   "set its adb in Settings (for quorvanectl, --adb PATH) or put its folder on "
                   "PATH. scrcpy was not found") +
                   advice;
        QTest::newRow("scrcpy too old")
            << false << u"scrcpy too old"_s << QStringLiteral("Found scrcpy 1.25 at $SCRCPY") + advice;
    }

    void withUnusableTools()
    {
        QFETCH(bool, missing);
        QFETCH(QString, footer);
        QFETCH(QString, hint);
        if (missing) {
            model().setCustomADBPath(QStringLiteral("/nonexistent/adb"));
            model().setCustomScrcpyPath(QStringLiteral("/nonexistent/scrcpy"));
            RuntimeLocator::setWellKnownDirectoriesOverride(QStringList{});
            qputenv("PATH", m_world->home.path().toUtf8());
        } else {
            m_world->sim.setScrcpy(QStringLiteral("version"), QStringLiteral("1.25"));
        }
        m_window = std::make_unique<MainWindow>(&model());
        model().refreshRuntimeStatus();
        QTRY_COMPARE(pill(QStringLiteral("footerStatusPill")), footer);
        QVERIFY(!primary()->canTrigger());
        hint.replace(QStringLiteral("$SCRCPY"), m_world->sim.scrcpyPath());
        QCOMPARE(primary()->disabledHint(), hint);
        QCOMPARE(find<StatusPill>(QStringLiteral("footerStatusPill"))->toolTip(), hint);
    }

    void deviceNotReady_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("footer");
        QTest::newRow("unauthorized") << u"unauthorized"_s << u"Unauthorized"_s;
        QTest::newRow("offline") << u"offline"_s << u"Offline"_s;
        QTest::newRow("no permissions") << u"no permissions"_s << u"No Permissions"_s;
    }

    // A phone that cannot be used says so in the picker; a launch refused for it is drawn as a failure,
    // keeps the bar's height, and is written to the terminal in full.
    void deviceNotReady()
    {
        QFETCH(QString, state);
        QFETCH(QString, footer);
        openWindow();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        const int height = find<SessionBar>(QStringLiteral("sessionBar"))->height();
        connectPhone(state);
        QCOMPARE(pill(QStringLiteral("footerStatusPill")), footer);
        // adb learns the phone's names only once it may talk to it.
        QCOMPARE(label(QStringLiteral("sessionDeviceText")), serial);
        QCOMPARE(find<QComboBox>(QStringLiteral("devicePicker"))->currentText(),
                 serial + QStringLiteral(" — ") + state);
        QCOMPARE(pill(QStringLiteral("sessionStatePill")), QStringLiteral("No session"));
        QCOMPARE(primary()->disabledHint(), QStringLiteral("The selected device is not ready. Accept the USB "
                                                           "debugging prompt, or run Connection Doctor."));
        await(model().launchCurrentMode());
        auto *badge = find<LaunchMessageBadge>(QStringLiteral("launchMessageBadge"));
        const QString refusal =
            u"Device is '%1', not ready. Run Connection Doctor for the next step."_s.arg(state);
        QCOMPARE(badge->message(), refusal);
        QCOMPARE(badge->tone(), MessageTone::Failure);
        QVERIFY(drawnIn(badge->grab().toImage(), Theme::color(Tone::Danger)));
        QCOMPARE(model().logLines().last(), refusal);
        QVERIFY(m_world->scrcpySessions().isEmpty());
        checkBarHeight(height);
    }

    // The bar holds its height through every state, with room for all it shows.
    void checkBarHeight(int height)
    {
        auto *bar = find<SessionBar>(QStringLiteral("sessionBar"));
        QCOMPARE(bar->height(), height);
        QVERIFY(bar->layout()->minimumSize().height() <= height);
    }

    // Each step shows only what is true now: the footer speaks of the phone and the bar of the session, a
    // running session's button says it restarts, a reconnect first clears the old news, and a cancelled one
    // leaves no failure behind. Stop is offered only with something to stop.
    void readyThenRunningThenReconnecting()
    {
        openWindow();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        const int height = find<SessionBar>(QStringLiteral("sessionBar"))->height();
        auto *stop = find<QAction>(QStringLiteral("stopSessionAction"));
        auto *badge = find<LaunchMessageBadge>(QStringLiteral("launchMessageBadge"));
        QVERIFY(!stop->isEnabled());
        connectPhone();
        QTRY_VERIFY(primary()->canTrigger());
        QCOMPARE(pill(QStringLiteral("footerStatusPill")), QStringLiteral("Phone ready"));
        QCOMPARE(pill(QStringLiteral("sessionStatePill")), QStringLiteral("No session"));
        QCOMPARE(label(QStringLiteral("sessionDeviceText")), QStringLiteral("Pixel 8"));
        QCOMPARE(primary()->title(), QStringLiteral("Mirror Phone"));
        QCOMPARE(primary()->secondaryLabel(), QStringLiteral("Start session"));
        QVERIFY(find<QAction>(QStringLiteral("startSessionAction"))->isEnabled());
        QVERIFY(!stop->isEnabled());
        QCOMPARE(find<QComboBox>(QStringLiteral("devicePicker"))->currentData().toString(), serial);
        checkBarHeight(height);

        await(model().launchCurrentMode());
        QCOMPARE(pill(QStringLiteral("sessionStatePill")), QStringLiteral("Session running"));
        QVERIFY(!find<QPushButton>(QStringLiteral("stopButton"))->isHidden());
        QVERIFY(stop->isEnabled());
        QCOMPARE(primary()->title(), QStringLiteral("Restart Session"));
        QCOMPARE(primary()->secondaryLabel(), QStringLiteral("Restart session"));
        QCOMPARE(primary()->caption(), QStringLiteral("Restarts the running session with these settings."));
        QVERIFY(badge->isVisible());
        QCOMPARE(badge->tone(), MessageTone::Success);
        QVERIFY(drawnIn(badge->grab().toImage(), Theme::color(Tone::Success)));
        QCOMPARE(label(QStringLiteral("activeSessionsText")), QStringLiteral("1 session(s)"));
        QCOMPARE(label(QStringLiteral("terminalSessionLine")),
                 QStringLiteral("Session running on ") + serial);
        QVERIFY(label(QStringLiteral("terminalCommand")).contains(QStringLiteral("scrcpy")));
        checkBarHeight(height);

        model().start();
        m_world->endNewestSession();
        QTRY_COMPARE(pill(QStringLiteral("sessionStatePill")), QStringLiteral("Reconnecting (1/5)"));
        QVERIFY(badge->isHidden());
        QVERIFY(stop->isEnabled());
        checkBarHeight(height);
        QVERIFY(!find<QPushButton>(QStringLiteral("cancelReconnectButton"))->isHidden());
        find<QPushButton>(QStringLiteral("cancelReconnectButton"))->click();
        QTRY_VERIFY(!model().reconnecting());
        QTRY_VERIFY(find<QPushButton>(QStringLiteral("cancelReconnectButton"))->isHidden());
        QCOMPARE(model().launchMessage(), std::nullopt);
        QVERIFY(badge->isHidden());
        QVERIFY(!stop->isEnabled());
    }

    void desktopModeHints()
    {
        openWindow();
        connectPhone();
        model().setSelectedMode(SidebarMode::Desktop);
        if (!model().desktopCapabilities())
            QCOMPARE(SessionBar::launchHint(model()),
                     QStringLiteral("Checking this device's display support…"));
        await(model().probeDesktop(serial));
        QVERIFY(model().desktopCapabilities().has_value());
        const QString expected =
            model().desktopCapabilities()->supported
                ? QString()
                : QStringLiteral("This device does not report virtual display support. Run "
                                 "Connection Doctor for details.");
        QCOMPARE(SessionBar::launchHint(model()), expected);
    }

    void liveTogglesInvertTheAppliedField_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("space");
        QTest::addColumn<QString>("phoneKey");
        QTest::newRow("fullscreen") << u"fullscreen"_s << u"f"_s << u""_s << u""_s;
        QTest::newRow("screen off") << u"turnScreenOff"_s << u"o"_s << u""_s << u""_s;
        QTest::newRow("show touches") << u"showTouches"_s << u""_s << u"system"_s << u"show_touches"_s;
    }

    void liveTogglesInvertTheAppliedField()
    {
        QFETCH(QString, setting);
        QFETCH(QString, key);
        QFETCH(QString, space);
        QFETCH(QString, phoneKey);
        openWindow();
        launch();
        m_window->setTerminalShown(true);
        auto *button = find<QPushButton>(QStringLiteral("live_") + setting);
        QVERIFY(button->isVisibleTo(m_window.get()));
        QVERIFY(!find<QPushButton>(QStringLiteral("live_cameraTorch"))->isVisibleTo(m_window.get()));
        const LaunchConfig before = *model().appliedConfig();
        QVERIFY(button->isCheckable());
        QCOMPARE(button->isChecked(), SessionTerminal::isOn(before, setting));
        button->click();
        QTRY_VERIFY(!model().applyingLiveSetting());
        QCOMPARE(*model().appliedConfig(), SessionTerminal::inverted(before, setting));
        QCOMPARE(button->isChecked(), !SessionTerminal::isOn(before, setting));
        // A live change needs no restart, and the session's own news stays.
        QVERIFY(!model().pendingRestart());
        QCOMPARE(model().launchMessage(), QStringLiteral("Session started with the selected smart profile."));
        if (!key.isEmpty())
            QCOMPARE(m_world->platform.sentKeys, QStringList{key});
        if (!phoneKey.isEmpty())
            QCOMPARE(m_world->phoneSetting(space, phoneKey), QStringLiteral("1"));
    }

    // A refused toggle leaves the button showing what the session still has.
    void refusedToggleKeepsItsState()
    {
        openWindow();
        launch();
        m_window->setTerminalShown(true);
        m_world->platform.sendFailure = QStringLiteral("The active scrcpy window was not found.");
        auto *button = find<QPushButton>(QStringLiteral("live_fullscreen"));
        QVERIFY(!button->isChecked());
        button->click();
        QTRY_COMPARE(model().launchMessage(), QStringLiteral("The active scrcpy window was not found."));
        QTRY_VERIFY(!model().applyingLiveSetting());
        QVERIFY(!button->isChecked());
    }

    void ctrlDigitsSwitchModes()
    {
        openWindow();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        const QList<SidebarMode> modes = allSidebarModes();
        for (int index = static_cast<int>(modes.size()) - 1; index >= 0; --index) {
            QTest::keyClick(m_window.get(), static_cast<Qt::Key>(Qt::Key_1 + index), Qt::ControlModifier);
            QCOMPARE(model().selectedMode(), modes.at(index));
        }
    }

    // Tab reaches the mode list; the arrow keys then walk it, from one section into the next.
    void arrowKeysWalkTheModes()
    {
        openWindow();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        auto *desktop = find<QWidget>(QStringLiteral("sidebarRow_Desktop Mode"));
        model().setSelectedMode(SidebarMode::Desktop);
        desktop->setFocus(Qt::TabFocusReason);
        QTest::keyClick(desktop, Qt::Key_Down);
        QCOMPARE(model().selectedMode(), SidebarMode::Wireless);
        QVERIFY(find<QWidget>(QStringLiteral("sidebarRow_Wireless"))->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(model().selectedMode(), SidebarMode::Desktop);
    }

    // Tab walks the window in reading order: the modes, the session bar, the mode's screen, the footer.
    void tabOrderFollowsTheWindow()
    {
        openWindow();
        connectPhone();
        installModeScreens(*m_window, model());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        find<QWidget>(QStringLiteral("sidebarRow_Mirror Phone"))->setFocus(Qt::TabFocusReason);
        QStringList visited;
        for (int step = 0; step < 80 && !visited.contains(QStringLiteral("devicePicker")); ++step) {
            visited.append(QApplication::focusWidget()->objectName());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        // The mode list is one stop, as a group of choices is: the arrow keys move within it.
        const auto at = [&visited](const QString &name) { return visited.indexOf(name); };
        QVERIFY2(at(QStringLiteral("sidebarRow_Mirror Phone")) == 0 &&
                     at(QStringLiteral("primaryActionButton")) > 0 &&
                     at(QStringLiteral("primaryActionButton")) < at(QStringLiteral("mirrorResetToAuto")) &&
                     at(QStringLiteral("mirrorResetToAuto")) < at(QStringLiteral("devicePicker")),
                 qPrintable(visited.join(u' ')));
    }

    // Size, place and the terminal's width come back in a window opened after the first one closed.
    void windowLayoutIsRemembered()
    {
        openWindow();
        m_window->show();
        m_window->setGeometry(40, 50, 1234, 777);
        m_window->setTerminalShown(true);
        auto *split = find<QSplitter>(QStringLiteral("detailSplitter"));
        split->setSizes({700, 420});
        const QList<int> sizes = split->sizes();
        m_window->close();
        m_window = std::make_unique<MainWindow>(&model());
        QCOMPARE(m_window->size(), QSize(1234, 777));
        m_window->show();
        m_window->setTerminalShown(true);
        QTRY_COMPARE(find<QSplitter>(QStringLiteral("detailSplitter"))->sizes(), sizes);
    }

    // The tray lists the sessions and stops them; its bubbles come only while the window is not active.
    void trayMenuAndNotifications()
    {
        openWindow();
        DesktopTray tray(&model(), m_window.get(), true);
        QList<QStringList> shown;
        tray.setPresenter([&shown](const QString &title, const QString &message) {
            shown.append({title, message});
        });
        const auto texts = [&tray] {
            QStringList result;
            for (const QAction *action : tray.menu()->actions()) {
                if (!action->isSeparator())
                    result.append(action->text() +
                                  (action->isEnabled() ? QString() : QStringLiteral(" (off)")));
            }
            return result;
        };
        QCOMPARE(texts(),
                 (QStringList{QStringLiteral("No running sessions (off)"), QStringLiteral("Stop All (off)"),
                              QStringLiteral("Show Quorvane"), QStringLiteral("Quit")}));
        launch();
        QCOMPARE(texts().first(), QStringLiteral("Session running on ") +
                                      model().selectedDevice()->displayName() + " (off)"_L1);
        tray.notify(QStringLiteral("File sent"), QStringLiteral("Sent a.txt to /sdcard/Download."));
        QCOMPARE(shown.size(), 1);

        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        tray.notify(QStringLiteral("File sent"), QStringLiteral("Sent b.txt to /sdcard/Download."));
        QCOMPARE(shown.size(), 1);
        model().setShowTrayIcon(false);
        QVERIFY(!tray.isShown());
        QVERIFY(!QSettings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"))
                     .value(QStringLiteral("showTrayIcon"))
                     .toBool());

        QSignalSpy showRequested(&tray, &DesktopTray::showRequested);
        tray.menu()->findChild<QAction *>(QStringLiteral("trayShow"))->trigger();
        QCOMPARE(showRequested.count(), 1);
        tray.menu()->findChild<QAction *>(QStringLiteral("trayStopAll"))->trigger();
        QTRY_VERIFY(model().activeSessionSerials().isEmpty());
        QCOMPARE(texts().first(), QStringLiteral("No running sessions (off)"));
    }

    // The log holds the newest 5,000 lines, follows new ones at the bottom and leaves a reader who scrolled
    // up on the line they were reading, even while the oldest lines are dropped.
    void terminalLogKeepsTheNewestLinesAndTheReadingPosition()
    {
        openWindow();
        QCOMPARE(label(QStringLiteral("terminalSessionLine")), QStringLiteral("No active session"));
        for (int i = 0; i < 5010; ++i)
            model().appendLog(QStringLiteral("line %1").arg(i));
        m_window->setTerminalShown(true);
        m_window->show();
        auto *log = find<QPlainTextEdit>(QStringLiteral("terminalLog"));
        QScrollBar *bar = log->verticalScrollBar();
        QCOMPARE(label(QStringLiteral("terminalOutputHeader")), QStringLiteral("Output (5000 lines)"));
        QCOMPARE(log->document()->blockCount(), 5000);
        QCOMPARE(log->document()->firstBlock().text(), QStringLiteral("line 10"));
        QTRY_COMPARE(bar->value(), bar->maximum());
        model().appendLog(QStringLiteral("newest"));
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(log->document()->lastBlock().text(), QStringLiteral("newest"));

        bar->setValue(bar->maximum() / 2);
        const auto topLine = [log] { return log->cursorForPosition(QPoint(1, 1)).block().text(); };
        const QString reading = topLine();
        for (int i = 0; i < 40; ++i)
            model().appendLog(QStringLiteral("more %1").arg(i));
        QCOMPARE(topLine(), reading);
        QCOMPARE(log->document()->blockCount(), 5000);
        QCOMPARE(log->document()->firstBlock().text(), QStringLiteral("line 51"));
        m_window->close();
    }

    void terminalCopyClearAndSave()
    {
        openWindow();
        m_window->setTerminalShown(true);
        for (const QString &line : {QStringLiteral("first"), QStringLiteral("second")})
            model().appendLog(line);
        find<QPushButton>(QStringLiteral("terminalCopy"))->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("first\nsecond"));

        const QString saved = m_world->home.file(QStringLiteral("logs/session.log"));
        ConfirmationPrompt::setNextFile(saved);
        find<QPushButton>(QStringLiteral("terminalSave"))->click();
        QCOMPARE(label(QStringLiteral("terminalSaveStatus")), QStringLiteral("Log saved to ") + saved);
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "first\nsecond\n"_ba);
        const QString nowhere = m_world->home.path() + QStringLiteral("/missing/session.log");
        ConfirmationPrompt::setNextFile(nowhere);
        find<QPushButton>(QStringLiteral("terminalSave"))->click();
        QCOMPARE(label(QStringLiteral("terminalSaveStatus")),
                 QStringLiteral("Could not save the log to %1: No such file or directory").arg(nowhere));

        find<QPushButton>(QStringLiteral("terminalClear"))->click();
        QVERIFY(model().logLines().isEmpty());
        QCOMPARE(label(QStringLiteral("terminalOutputHeader")), QStringLiteral("Output (0 lines)"));
        QVERIFY(find<QPlainTextEdit>(QStringLiteral("terminalLog"))->document()->isEmpty());
        model().appendLog(QStringLiteral("after"));
        QCOMPARE(find<QPlainTextEdit>(QStringLiteral("terminalLog"))->toPlainText(), QStringLiteral("after"));
    }

    void onboardingFollowsTheDeviceList()
    {
        openWindow();
        m_world->sim.addPhone(serial).state(QStringLiteral("unauthorized"));
        model().showOnboardingAgain();
        OnboardingSheet *sheet = m_window->onboardingSheet();
        QVERIFY(sheet->isVisible());
        QVERIFY(!model().onboardingCompleted());
        QCOMPARE(find<QComboBox>(QStringLiteral("onboardingVendor"))->currentText(), QStringLiteral("Pixel"));
        QVERIFY(label(QStringLiteral("onboardingVendorPath"))
                    .startsWith(QStringLiteral("Settings → About phone")));
        const auto current = [sheet] {
            for (int step = 1; step <= 3; ++step) {
                auto *row = sheet->findChild<QWidget *>(QStringLiteral("onboardingStep%1").arg(step));
                if (row->findChildren<QLabel *>().last()->property("current").toBool())
                    return step;
            }
            return 0;
        };
        QCOMPARE(current(), 1);
        await(model().refreshDevices());
        QCOMPARE(current(), 2);
        await(model().refreshDevices());
        QCOMPARE(current(), 3);
        QVERIFY(sheet->isVisible());
        m_world->setTransportState(serial, QStringLiteral("device"));
        await(model().refreshDevices());
        QVERIFY(!sheet->isVisible());
        QVERIFY(model().onboardingCompleted());
    }

    // A Linux desktop reads Ctrl, not a Mac's command key, and each tooltip names the key really bound.
    void linuxWords()
    {
        openWindow();
        const auto boundKey = [this](const QString &action) {
            for (const QAction *each : m_window->findChildren<QAction *>()) {
                if (each->text() == action)
                    return each->shortcut().toString(QKeySequence::NativeText);
            }
            return QString();
        };
        QCOMPARE(find<QWidget>(QStringLiteral("refreshDevicesButton"))->toolTip(),
                 QStringLiteral("Refresh devices (Ctrl+R)"));
        QCOMPARE(boundKey(QStringLiteral("Refresh Devices")), QStringLiteral("Ctrl+R"));
        QCOMPARE(find<QWidget>(QStringLiteral("stopButton"))->toolTip(),
                 QStringLiteral("Stop the running session (Ctrl+.)"));
        QCOMPARE(boundKey(QStringLiteral("Stop Session")), QStringLiteral("Ctrl+."));
        model().showOnboardingAgain();
        QStringList steps;
        for (const QLabel *each : m_window->onboardingSheet()
                                      ->findChild<QWidget *>(QStringLiteral("onboardingStep3"))
                                      ->findChildren<QLabel *>())
            steps << each->text();
        QVERIFY2(steps.contains(QStringLiteral("Allow this computer")), qPrintable(steps.join(u'|')));
    }

    void onboardingButtons()
    {
        openWindow();
        model().showOnboardingAgain();
        find<QComboBox>(QStringLiteral("onboardingVendor"))->setCurrentText(QStringLiteral("Samsung"));
        QCOMPARE(model().onboardingVendor(), QStringLiteral("Samsung"));
        QCOMPARE(label(QStringLiteral("onboardingVendorPath")),
                 OnboardingSheet::vendorPath(QStringLiteral("Samsung")));
        find<QPushButton>(QStringLiteral("onboardingStuckButton"))->click();
        QCOMPARE(model().selectedMode(), SidebarMode::Doctor);
        QVERIFY(!m_window->onboardingSheet()->isVisible());
        QVERIFY(!model().onboardingCompleted());

        model().showOnboardingAgain();
        find<QPushButton>(QStringLiteral("onboardingSkipButton"))->click();
        QVERIFY(!m_window->onboardingSheet()->isVisible());
        QVERIFY(model().onboardingCompleted());
    }

    void settingsFieldsWriteTheUserDefaults_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("reset");
        QTest::newRow("adb") << u"adbPathField"_s << UserDefaults::customADBPathKey << u"resetADB"_s;
        QTest::newRow("scrcpy") << u"scrcpyPathField"_s << UserDefaults::customScrcpyPathKey
                                << u"resetscrcpy"_s;
        QTest::newRow("media root") << u"mediaRootField"_s << UserDefaults::mediaRootOverrideKey << u""_s;
    }

    void settingsFieldsWriteTheUserDefaults()
    {
        QFETCH(QString, field);
        QFETCH(QString, key);
        QFETCH(QString, reset);
        SettingsWindow settings(&model());
        auto *edit = settings.findChild<QLineEdit *>(field);
        QCOMPARE(edit->text(), UserDefaults::text(key));
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("/opt/tools/x"));
        QCOMPARE(UserDefaults::text(key), QStringLiteral("/opt/tools/x"));
        if (reset.isEmpty())
            return;
        settings.findChild<QPushButton *>(reset)->click();
        QCOMPARE(edit->text(), QString());
        QCOMPARE(UserDefaults::text(key), QString());

        auto *browse = settings.findChild<QPushButton *>(QString(reset).replace(u"reset"_s, u"browse"_s));
        QCOMPARE(browse->text(), QStringLiteral("Browse…"));
        ConfirmationPrompt::setNextFile(QStringLiteral("/opt/picked/tool"));
        browse->click();
        QCOMPARE(edit->text(), QStringLiteral("/opt/picked/tool"));
        QCOMPARE(UserDefaults::text(key), QStringLiteral("/opt/picked/tool"));
        ConfirmationPrompt::setNextFile(QString()); // cancelled: what was there stays
        browse->click();
        QCOMPARE(UserDefaults::text(key), QStringLiteral("/opt/picked/tool"));
    }

    // %H stands for the test's home, %A for the simulator's adb.
    void settingsMarkPathsThatCannotBeUsed_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("mark");
        QTest::newRow("missing") << u"adbPathField"_s << u"%H/nowhere/adb"_s
                                 << u"Not found: %H/nowhere/adb"_s;
        QTest::newRow("not executable")
            << u"scrcpyPathField"_s << u"%H/plain"_s << u"Not an executable file: %H/plain"_s;
        QTest::newRow("a folder") << u"adbPathField"_s << u"%H"_s << u"Not an executable file: %H"_s;
        QTest::newRow("relative") << u"scrcpyPathField"_s << u"bin/scrcpy"_s
                                  << u"Not a full path: bin/scrcpy"_s;
        QTest::newRow("usable, spaces trimmed") << u"adbPathField"_s << u" %A "_s << u""_s;
        QTest::newRow("blank") << u"scrcpyPathField"_s << u""_s << u""_s;
    }

    void settingsMarkPathsThatCannotBeUsed()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, mark);
        const QString home = m_world->home.path();
        QFile plain(home + u"/plain"_s);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        for (QString *text : {&typed, &mark})
            text->replace(u"%H"_s, home).replace(u"%A"_s, m_world->sim.adbPath());
        SettingsWindow settings(&model());
        settings.show();
        auto *edit = settings.findChild<QLineEdit *>(field);
        edit->clear();
        // A bad path first, so a good or blank one has a mark to take away.
        QTest::keyClicks(edit, u"/x"_s);
        edit->clear();
        QTest::keyClicks(edit, typed);
        if (typed.isEmpty())
            emit edit->textEdited(QString());
        auto *label = settings.findChild<QLabel *>(QString(field).replace(u"Field"_s, u"Mark"_s));
        QCOMPARE(label->text(), mark);
        QCOMPARE(label->isVisible(), !mark.isEmpty());
    }

    // %A and %S stand for the simulator's adb and scrcpy.
    void runtimeWordsFollowWhereTheToolsCameFrom_data()
    {
        QTest::addColumn<QString>("origin");
        QTest::addColumn<QString>("scrcpy");
        QTest::addColumn<QString>("adb");
        QTest::addColumn<QString>("caption");
        const QString searched = u"Leave blank and Quorvane looks in the usual install folders and on PATH. "
                                 u"A path set here is used first."_s;
        const QString scrcpyLine = u"scrcpy 4.1 <https://github.com/Genymobile/scrcpy>\n%S"_s;
        const QString adbLine = u"Android Debug Bridge version 1.0.41\n%A"_s;
        QTest::newRow("settings") << u"settings"_s << scrcpyLine + u" (set in Settings)"_s
                                  << adbLine + u" (set in Settings)"_s << searched;
        QTest::newRow("bundle") << u"bundle"_s << scrcpyLine + u" (bundled with Quorvane)"_s
                                << adbLine + u" (bundled with Quorvane)"_s
                                << u"Leave blank to use the built-in runtime. Overrides are used before the "
                                   u"default search order."_s;
        QTest::newRow("PATH") << u"PATH"_s << scrcpyLine + u" (found on this computer)"_s
                              << adbLine + u" (found on this computer)"_s << searched;
        QTest::newRow("missing") << u"missing"_s << u"scrcpy was not found."_s << u"adb was not found."_s
                                 << searched;
    }

    void runtimeWordsFollowWhereTheToolsCameFrom()
    {
        QFETCH(QString, origin);
        QFETCH(QString, scrcpy);
        QFETCH(QString, adb);
        QFETCH(QString, caption);
        RuntimeLocator::setWellKnownDirectoriesOverride(QStringList{});
        if (origin != u"settings"_s) {
            model().setCustomADBPath(origin == u"missing"_s ? u"/nonexistent/adb"_s : QString());
            model().setCustomScrcpyPath(origin == u"missing"_s ? u"/nonexistent/scrcpy"_s : QString());
        }
        if (origin == u"bundle"_s)
            m_world->sim.installAsBundle();
        if (origin == u"PATH"_s)
            m_world->sim.putOnPath();
        if (origin == u"missing"_s)
            qputenv("PATH", m_world->home.path().toUtf8());
        for (QString *text : {&scrcpy, &adb})
            text->replace(u"%S"_s, m_world->sim.scrcpyPath()).replace(u"%A"_s, m_world->sim.adbPath());

        AboutWindow about(&model());
        SettingsWindow settings(&model());
        model().refreshRuntimeStatus();
        QTRY_COMPARE(about.findChild<QLabel *>(u"scrcpyRuntime"_s)->text(), scrcpy);
        QCOMPARE(about.findChild<QLabel *>(u"adbRuntime"_s)->text(), adb);
        QVERIFY(!about.findChild<QLabel *>(u"aboutIcon"_s)->pixmap().isNull());
        QCOMPARE(about.findChild<QLabel *>(u"appVersion"_s)->text(),
                 u"Version "_s + QLatin1String(quorvane::applicationVersion));
        QStringList shown;
        for (const QLabel *label : about.findChildren<QLabel *>())
            shown << label->text();
        QVERIFY(shown.contains(u"Mirror and control your Android phone from your computer."_s));
        QVERIFY(!shown.join(u'\n').contains(u"5.0.1"_s));
        QVERIFY(!shown.join(u'\n').contains(u"Mac"_s));
        QCOMPARE(settings.findChild<QLabel *>(u"runtimeCaption"_s)->text(), caption);
        QCOMPARE(settings.findChild<QLabel *>(u"adbVersion"_s)->text(),
                 origin == u"missing"_s ? u"not found"_s : model().runtime().adbVersion.value_or(u"-"_s));
        QCOMPARE(settings.findChild<QLabel *>(u"scrcpyVersion"_s)->text(),
                 origin == u"missing"_s ? u"not found"_s : model().runtime().scrcpyVersion.value_or(u"-"_s));
    }

    void settingsXWaylandOption()
    {
        SettingsWindow settings(&model());
        auto *box = settings.findChild<QCheckBox *>(QStringLiteral("xwaylandCheckBox"));
        QCOMPARE(box->text(), QStringLiteral("Run mirror windows through XWayland"));
        QVERIFY(!box->isChecked());
        box->click();
        QVERIFY(UserDefaults::flag(UserDefaults::mirrorThroughXWaylandKey));
        model().setMirrorThroughXWayland(false);
        QVERIFY(!box->isChecked());

        // The test display has no tray: the option shows off, cannot be changed, and leaves the setting be.
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        auto *tray = settings.findChild<QCheckBox *>(QStringLiteral("trayCheckBox"));
        QVERIFY(!tray->isEnabled() && !tray->isChecked());
        QVERIFY(model().showTrayIcon());
    }
};

QTEST_MAIN(TestAppWindow)
#include "tst_app_window.moc"
