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
#include "SectionCard.h"
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

const QString serial = u"R5CT1234"_s;

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
    PrimaryActionButton *primary() { return find<PrimaryActionButton>(u"primaryLaunchButton"_s); }

    void openWindow()
    {
        model().setOnboardingCompleted(true);
        m_window = std::make_unique<MainWindow>(&model());
        model().refreshRuntimeStatus();
        QTRY_VERIFY(model().runtimeHealthy());
    }

    void showWindow()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void connectPhone(const QString &state = u"device"_s) { m_world->connectPhone(serial, state); }

private slots:
    void init() { m_world = std::make_unique<ModelWorld>(); }
    void cleanup()
    {
        m_window.reset();
        m_world.reset();
        RuntimeLocator::setWellKnownDirectoriesOverride(std::nullopt);
        ConfirmationPrompt::reset();
    }

    void deviceNotReady_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("footer");
        QTest::newRow("unauthorized") << u"unauthorized"_s << u"Unauthorized"_s;
        QTest::newRow("no permissions") << u"no permissions"_s << u"No Permissions"_s;
    }

    // A phone that cannot be used says so in the picker; a launch refused for it is drawn as a failure,
    // keeps the bar's height, and is written to the terminal in full.
    void deviceNotReady()
    {
        QFETCH(QString, state);
        QFETCH(QString, footer);
        openWindow();
        showWindow();
        const int height = find<SessionBar>(u"sessionBar"_s)->height();
        connectPhone(state);
        QCOMPARE(pill(u"footerStatusPill"_s), footer);
        // adb learns the phone's names only once it may talk to it.
        QCOMPARE(label(u"sessionDeviceText"_s), serial);
        QCOMPARE(find<QComboBox>(u"devicePicker"_s)->currentText(), serial + u" — "_s + state);
        QCOMPARE(primary()->disabledHint(), QStringLiteral("The selected device is not ready. Accept the USB "
                                                           "debugging prompt, or run Connection Doctor."));
        await(model().launchCurrentMode());
        auto *badge = find<LaunchMessageBadge>(u"launchMessageBadge"_s);
        const QString refusal =
            u"Device is '%1', not ready. Run Connection Doctor for the next step."_s.arg(state);
        QCOMPARE(badge->message(), refusal);
        QVERIFY(drawnIn(badge->grab().toImage(), Theme::color(Tone::Danger)));
        QCOMPARE(model().logLines().last(), refusal);
        QVERIFY(m_world->scrcpySessions().isEmpty());
        checkBarHeight(height);
    }

    // The bar holds its height through every state, with room for all it shows.
    void checkBarHeight(int height)
    {
        auto *bar = find<SessionBar>(u"sessionBar"_s);
        QCOMPARE(bar->height(), height);
        QVERIFY(bar->layout()->minimumSize().height() <= height);
    }

    // Each step shows only what is true now: the footer speaks of the phone and the bar of the session, a
    // running session's button says it restarts, a reconnect first clears the old news, and a cancelled one
    // leaves no failure behind. Start and Stop are offered only with something to start or stop; Desktop Mode
    // waits for the phone's display support.
    void noDeviceThenReadyThenRunningThenReconnecting()
    {
        openWindow();
        showWindow();
        await(model().refreshDevices());
        const int height = find<SessionBar>(u"sessionBar"_s)->height();
        auto *start = find<QAction>(u"startSessionAction"_s);
        auto *stop = find<QAction>(u"stopSessionAction"_s);
        auto *badge = find<LaunchMessageBadge>(u"launchMessageBadge"_s);
        auto *picker = find<QComboBox>(u"devicePicker"_s);
        QCOMPARE(pill(u"sessionStatePill"_s), u"No session"_s);
        QCOMPARE(label(u"sessionDeviceText"_s), u"No device"_s);
        QVERIFY(!primary()->canTrigger());
        QCOMPARE(primary()->disabledHint(), u"Choose a phone at the bottom of the window first."_s);
        QCOMPARE(primary()->caption(), u"Starts the current session."_s);
        QCOMPARE(pill(u"footerStatusPill"_s), u"No device"_s);
        QCOMPARE(picker->currentText(), u"No devices detected"_s);
        QVERIFY(!picker->isEnabled());
        QVERIFY(!find<QPushButton>(u"stopAllButton"_s)->isEnabled());
        QVERIFY(!start->isEnabled() && !stop->isEnabled());
        connectPhone();
        QTRY_VERIFY(primary()->canTrigger());
        QCOMPARE(pill(u"footerStatusPill"_s), u"Phone ready"_s);
        QCOMPARE(label(u"sessionDeviceText"_s), u"Pixel 8"_s);
        QVERIFY(start->isEnabled());
        QVERIFY(!stop->isEnabled());
        QCOMPARE(picker->currentData().toString(), serial);
        checkBarHeight(height);
        model().setSelectedMode(SidebarMode::Desktop);
        if (!model().desktopCapabilities())
            QCOMPARE(SessionBar::launchHint(model()), u"Checking this device's display support…"_s);
        await(model().probeDesktop(serial));
        QVERIFY(model().desktopCapabilities().has_value());
        const QString expected =
            model().desktopCapabilities()->supported
                ? QString()
                : QStringLiteral("This device does not report virtual display support. Run "
                                 "Connection Doctor for details.");
        QCOMPARE(SessionBar::launchHint(model()), expected);
        model().setSelectedMode(SidebarMode::Mirror);

        await(model().launchCurrentMode());
        QCOMPARE(pill(u"sessionStatePill"_s), u"Session running"_s);
        QVERIFY(!find<QPushButton>(u"stopButton"_s)->isHidden());
        QVERIFY(stop->isEnabled());
        QCOMPARE(primary()->title(), u"Restart Session"_s);
        QCOMPARE(primary()->secondaryLabel(), u"Restart session"_s);
        QCOMPARE(primary()->caption(), u"Restarts the running session with these settings."_s);
        QVERIFY(drawnIn(badge->grab().toImage(), Theme::color(Tone::Success)));
        QCOMPARE(label(u"activeSessionsText"_s), u"1 session(s)"_s);
        QCOMPARE(label(u"terminalSessionLine"_s), u"Session running on "_s + serial);
        QVERIFY(label(u"terminalCommand"_s).contains(u"scrcpy"_s));
        checkBarHeight(height);

        model().start();
        m_world->endNewestSession();
        QTRY_COMPARE(pill(u"sessionStatePill"_s), u"Reconnecting (1/5)"_s);
        QVERIFY(badge->isHidden());
        QVERIFY(stop->isEnabled());
        checkBarHeight(height);
        QVERIFY(!find<QPushButton>(u"cancelReconnectButton"_s)->isHidden());
        find<QPushButton>(u"cancelReconnectButton"_s)->click();
        QTRY_VERIFY(find<QPushButton>(u"cancelReconnectButton"_s)->isHidden());
        QVERIFY(badge->isHidden());
        QVERIFY(!stop->isEnabled());
    }

    // Ctrl and a digit pick a mode. Tab walks the window and reaches the mode list; the arrow keys then walk
    // it, from one section into the next. A Linux desktop reads Ctrl, not a Mac's command key, and each
    // tooltip names the key really bound.
    void keys()
    {
        openWindow();
        connectPhone();
        installModeScreens(*m_window, model());
        showWindow();
        // Tab walks the window in reading order: the modes, the session bar, the mode's screen, the footer.
        find<QWidget>(u"sidebarRow_Mirror Phone"_s)->setFocus(Qt::TabFocusReason);
        QStringList visited;
        for (int step = 0; step < 80 && !visited.contains(u"devicePicker"_s); ++step) {
            visited.append(QApplication::focusWidget()->objectName());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        // The mode list is one stop, as a group of choices is: the arrow keys move within it.
        const auto at = [&visited](const QString &name) { return visited.indexOf(name); };
        QVERIFY2(at(u"sidebarRow_Mirror Phone"_s) == 0 && at(u"primaryActionButton"_s) > 0 &&
                     at(u"primaryActionButton"_s) < at(u"mirrorResetToAuto"_s) &&
                     at(u"mirrorResetToAuto"_s) < at(u"devicePicker"_s),
                 qPrintable(visited.join(u' ')));
        const auto boundKey = [this](const QString &action) {
            for (const QAction *each : m_window->findChildren<QAction *>()) {
                if (each->text() == action)
                    return each->shortcut().toString(QKeySequence::NativeText);
            }
            return QString();
        };
        QCOMPARE(find<QWidget>(u"refreshDevicesButton"_s)->toolTip(), u"Refresh devices (Ctrl+R)"_s);
        QCOMPARE(boundKey(u"Refresh Devices"_s), u"Ctrl+R"_s);
        QCOMPARE(find<QWidget>(u"stopButton"_s)->toolTip(), u"Stop the running session (Ctrl+.)"_s);
        QCOMPARE(boundKey(u"Stop Session"_s), u"Ctrl+."_s);
        const QList<SidebarMode> modes = allSidebarModes();
        for (int index = static_cast<int>(modes.size()) - 1; index >= 0; --index) {
            QTest::keyClick(m_window.get(), static_cast<Qt::Key>(Qt::Key_1 + index), Qt::ControlModifier);
            QCOMPARE(model().selectedMode(), modes.at(index));
        }
        auto *desktop = find<QWidget>(u"sidebarRow_Desktop Mode"_s);
        model().setSelectedMode(SidebarMode::Desktop);
        desktop->setFocus(Qt::TabFocusReason);
        QTest::keyClick(desktop, Qt::Key_Down);
        QCOMPARE(model().selectedMode(), SidebarMode::Wireless);
        QVERIFY(find<QWidget>(u"sidebarRow_Wireless"_s)->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(model().selectedMode(), SidebarMode::Desktop);
    }

    // Size, place and the terminal's width come back in a window opened after the first one closed.
    void windowLayoutIsRemembered()
    {
        openWindow();
        m_window->show();
        m_window->setGeometry(40, 50, 1234, 777);
        m_window->setTerminalShown(true);
        auto *split = find<QSplitter>(u"detailSplitter"_s);
        split->setSizes({700, 420});
        const QList<int> sizes = split->sizes();
        m_window->close();
        m_window = std::make_unique<MainWindow>(&model());
        QCOMPARE(m_window->size(), QSize(1234, 777));
        m_window->show();
        m_window->setTerminalShown(true);
        QTRY_COMPARE(find<QSplitter>(u"detailSplitter"_s)->sizes(), sizes);
    }

    // The tray lists the sessions and stops them; its bubbles come only while the window is not active.
    // While the session runs, a live toggle inverts the session's setting through the mirror window's key,
    // with no restart and the session's own news kept; one the window refuses leaves the button showing what
    // the session still has. A toggle that changes the phone (show touches) is the end-to-end test's.
    void trayAndLiveToggles()
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
                    result.append(action->text() + (action->isEnabled() ? QString() : u" (off)"_s));
            }
            return result;
        };
        QCOMPARE(texts(), (QStringList{u"No running sessions (off)"_s, u"Stop All (off)"_s,
                                       u"Show Quorvane"_s, u"Quit"_s}));
        connectPhone();
        QTRY_VERIFY(model().canLaunch());
        await(model().launchCurrentMode());
        QCOMPARE(texts().first(),
                 u"Session running on "_s + model().selectedDevice()->displayName() + " (off)"_L1);
        tray.notify(u"File sent"_s, u"Sent a.txt to /sdcard/Download."_s);
        QCOMPARE(shown.size(), 1);

        showWindow();
        tray.notify(u"File sent"_s, u"Sent b.txt to /sdcard/Download."_s);
        QCOMPARE(shown.size(), 1);
        model().setShowTrayIcon(false);
        QVERIFY(!tray.isShown());
        QVERIFY(!QSettings(u"Quorvane"_s, u"Quorvane"_s).value(u"showTrayIcon"_s).toBool());

        QSignalSpy showRequested(&tray, &DesktopTray::showRequested);
        tray.menu()->findChild<QAction *>(u"trayShow"_s)->trigger();
        QCOMPARE(showRequested.count(), 1);

        m_window->setTerminalShown(true);
        auto *button = find<QPushButton>(u"live_turnScreenOff"_s);
        QVERIFY(button->isVisibleTo(m_window.get()));
        QVERIFY(!find<QPushButton>(u"live_cameraTorch"_s)->isVisibleTo(m_window.get()));
        const LaunchConfig before = *model().appliedConfig();
        QCOMPARE(button->isChecked(), before.turnScreenOff);
        button->click();
        QTRY_VERIFY(!model().applyingLiveSetting());
        LaunchConfig inverted = before;
        inverted.turnScreenOff = !before.turnScreenOff;
        QCOMPARE(*model().appliedConfig(), inverted);
        QCOMPARE(button->isChecked(), !before.turnScreenOff);
        QVERIFY(!model().pendingRestart());
        QCOMPARE(model().launchMessage(), u"Session started with the selected smart profile."_s);
        QCOMPARE(m_world->platform.sentKeys, QStringList{u"o"_s});

        m_world->platform.sendFailure = u"The active scrcpy window was not found."_s;
        auto *fullscreen = find<QPushButton>(u"live_fullscreen"_s);
        fullscreen->click();
        QTRY_COMPARE(model().launchMessage(), u"The active scrcpy window was not found."_s);
        QTRY_VERIFY(!model().applyingLiveSetting());
        QVERIFY(!fullscreen->isChecked());

        tray.menu()->findChild<QAction *>(u"trayStopAll"_s)->trigger();
        QTRY_VERIFY(model().activeSessionSerials().isEmpty());
        QCOMPARE(texts().first(), u"No running sessions (off)"_s);
    }

    // The desktop switching to dark under the open window restyles what the screens made in the light theme
    // (tinted symbols, notes, style sheets, card backgrounds), and switching back restores the light look.
    void themeSwitchRestylesTheOpenWindow()
    {
        connectPhone();
        openWindow();
        installModeScreens(*m_window, model());
        m_window->show();
        QTRY_VERIFY(primary()->canTrigger());
        const QPalette light = QApplication::palette();
        const QColor lightAccent = Theme::color(Tone::Accent);
        const QPalette dark(QColor(0x3a, 0x3a, 0x3c), QColor(0x1e, 0x1e, 0x1e));
        for (const auto &[palette, isDark] : {std::pair{dark, true}, std::pair{light, false}}) {
            QApplication::setPalette(palette);
            const QColor accent = Theme::color(Tone::Accent);
            QCOMPARE(accent != lightAccent, isDark);
            QCOMPARE(find<QLabel>(u"mirrorRecordNote"_s)->palette().color(QPalette::WindowText),
                     Theme::secondaryText());
            QCOMPARE(find<QLabel>(u"modeSubtitle"_s)->palette().color(QPalette::WindowText),
                     Theme::secondaryText());
            QVERIFY(drawnIn(find<QWidget>(u"sessionTerminalButton"_s)->grab().toImage(), accent));
            QVERIFY(drawnIn(find<QWidget>(u"primaryActionButton"_s)->grab().toImage(), accent));
            QVERIFY(drawnIn(find<QWidget>(u"mirrorRecompute"_s)->grab().toImage(), accent));
            QVERIFY(drawnIn(m_window->findChild<SectionCard *>()->grab().toImage(), Theme::cardBackground()));
        }
    }

    // Copy, save and clear act on the whole log. The log holds the newest 5,000 lines, follows new ones at
    // the bottom and leaves a reader who scrolled up on the line they were reading, even while the oldest
    // lines are dropped.
    void terminal()
    {
        openWindow();
        QCOMPARE(label(u"terminalSessionLine"_s), u"No active session"_s);
        m_window->setTerminalShown(true);
        for (const QString &line : {u"first"_s, u"second"_s})
            model().appendLog(line);
        find<QPushButton>(u"terminalCopy"_s)->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), u"first\nsecond"_s);

        const QString saved = m_world->home.file(u"logs/session.log"_s);
        ConfirmationPrompt::setNextFile(saved);
        find<QPushButton>(u"terminalSave"_s)->click();
        QCOMPARE(label(u"terminalSaveStatus"_s), u"Log saved to "_s + saved);
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "first\nsecond\n"_ba);
        const QString nowhere = m_world->home.path() + u"/missing/session.log"_s;
        ConfirmationPrompt::setNextFile(nowhere);
        find<QPushButton>(u"terminalSave"_s)->click();
        QCOMPARE(label(u"terminalSaveStatus"_s),
                 u"Could not save the log to %1: No such file or directory"_s.arg(nowhere));

        find<QPushButton>(u"terminalClear"_s)->click();
        QCOMPARE(label(u"terminalOutputHeader"_s), u"Output (0 lines)"_s);
        QVERIFY(find<QPlainTextEdit>(u"terminalLog"_s)->document()->isEmpty());
        model().appendLog(u"after"_s);
        QCOMPARE(find<QPlainTextEdit>(u"terminalLog"_s)->toPlainText(), u"after"_s);

        for (int i = 0; i < 5010; ++i)
            model().appendLog(u"line %1"_s.arg(i));
        m_window->show();
        auto *log = find<QPlainTextEdit>(u"terminalLog"_s);
        QScrollBar *bar = log->verticalScrollBar();
        QCOMPARE(label(u"terminalOutputHeader"_s), u"Output (5000 lines)"_s);
        QCOMPARE(log->document()->blockCount(), 5000);
        QCOMPARE(log->document()->firstBlock().text(), u"line 10"_s);
        QTRY_COMPARE(bar->value(), bar->maximum());
        model().appendLog(u"newest"_s);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(log->document()->lastBlock().text(), u"newest"_s);

        bar->setValue(bar->maximum() / 2);
        const auto topLine = [log] { return log->cursorForPosition(QPoint(1, 1)).block().text(); };
        const QString reading = topLine();
        for (int i = 0; i < 40; ++i)
            model().appendLog(u"more %1"_s.arg(i));
        QCOMPARE(topLine(), reading);
        QCOMPARE(log->document()->blockCount(), 5000);
        QCOMPARE(log->document()->firstBlock().text(), u"line 51"_s);
        m_window->close();
    }

    // The steps follow the device list; the vendor picker, "stuck" and "skip" act from the open sheet.
    void onboarding()
    {
        openWindow();
        m_world->sim.addPhone(serial).state(u"unauthorized"_s);
        model().showOnboardingAgain();
        OnboardingSheet *sheet = m_window->onboardingSheet();
        QVERIFY(sheet->isVisible());
        const auto current = [sheet] {
            for (int step = 1; step <= 3; ++step) {
                auto *row = sheet->findChild<QWidget *>(u"onboardingStep%1"_s.arg(step));
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
        // A Linux desktop is "this computer", not a Mac.
        QStringList steps;
        for (const QLabel *each : sheet->findChild<QWidget *>(u"onboardingStep3"_s)->findChildren<QLabel *>())
            steps << each->text();
        QVERIFY2(steps.contains(u"Allow this computer"_s), qPrintable(steps.join(u'|')));

        find<QComboBox>(u"onboardingVendor"_s)->setCurrentText(u"Samsung"_s);
        QCOMPARE(model().onboardingVendor(), u"Samsung"_s);
        QCOMPARE(label(u"onboardingVendorPath"_s), OnboardingSheet::vendorPath(u"Samsung"_s));
        find<QPushButton>(u"onboardingStuckButton"_s)->click();
        QCOMPARE(model().selectedMode(), SidebarMode::Doctor);
        QVERIFY(!sheet->isVisible());
        QVERIFY(!model().onboardingCompleted());

        model().showOnboardingAgain();
        find<QPushButton>(u"onboardingSkipButton"_s)->click();
        QVERIFY(!sheet->isVisible());
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
        edit->clear();
        QTest::keyClicks(edit, u"/opt/tools/x"_s);
        QCOMPARE(UserDefaults::text(key), u"/opt/tools/x"_s);
        if (reset.isEmpty())
            return;
        settings.findChild<QPushButton *>(reset)->click();
        QCOMPARE(edit->text(), QString());
        QCOMPARE(UserDefaults::text(key), QString());

        auto *browse = settings.findChild<QPushButton *>(QString(reset).replace(u"reset"_s, u"browse"_s));
        ConfirmationPrompt::setNextFile(u"/opt/picked/tool"_s);
        browse->click();
        QCOMPARE(edit->text(), u"/opt/picked/tool"_s);
        QCOMPARE(UserDefaults::text(key), u"/opt/picked/tool"_s);
        ConfirmationPrompt::setNextFile(QString()); // cancelled: what was there stays
        browse->click();
        QCOMPARE(UserDefaults::text(key), u"/opt/picked/tool"_s);
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

    // The About and Settings windows say where each tool came from; the footer's pill and the launch button's
    // hint carry the core's sentences about tools that cannot be used. %A and %S stand for the simulator's
    // adb and scrcpy.
    void runtimeWordsFollowWhereTheToolsCameFrom_data()
    {
        QTest::addColumn<QString>("origin");
        QTest::addColumn<QString>("scrcpy");
        QTest::addColumn<QString>("adb");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("footer");
        QTest::addColumn<QString>("hint");
        const QString searched = u"Leave blank and Quorvane looks in the usual install folders and on PATH. "
                                 u"A path set here is used first."_s;
        const QString scrcpyLine = u"scrcpy 4.1 <https://github.com/Genymobile/scrcpy>\n%S"_s;
        const QString adbLine = u"Android Debug Bridge version 1.0.41\n%A"_s;
        const QString noPhone = u"Choose a phone at the bottom of the window first."_s;
        const QString advice = QStringLiteral(
            ", but Quorvane needs scrcpy 4.0 or newer: unpack the scrcpy project's Linux release archive "
            "anywhere, then set its scrcpy in Settings (for quorvanectl, --scrcpy PATH) or put its folder "
            "on PATH.");
        QTest::newRow("settings") << u"settings"_s << scrcpyLine + u" (set in Settings)"_s
                                  << adbLine + u" (set in Settings)"_s << searched << u"No device"_s
                                  << noPhone;
        QTest::newRow("bundle") << u"bundle"_s << scrcpyLine + u" (bundled with Quorvane)"_s
                                << adbLine + u" (bundled with Quorvane)"_s
                                << u"Leave blank to use the built-in runtime. Overrides are used before the "
                                   u"default search order."_s
                                << u"No device"_s << noPhone;
        QTest::newRow("PATH") << u"PATH"_s << scrcpyLine + u" (found on this computer)"_s
                              << adbLine + u" (found on this computer)"_s << searched << u"No device"_s
                              << noPhone;
        QTest::newRow("missing") << u"missing"_s << u"scrcpy was not found."_s << u"adb was not found."_s
                                 << searched << u"Runtime missing"_s
                                 << QStringLiteral(
                                        "adb was not found: install Debian's adb package or Android "
                                        "platform-tools, then set its adb in Settings (for "
                                        "quorvanectl, --adb PATH) or put its folder on PATH. scrcpy "
                                        "was not found") +
                                        advice;
        QTest::newRow("scrcpy too old")
            << u"old"_s << u"scrcpy 1.25 <https://github.com/Genymobile/scrcpy>\n%S (set in Settings)"_s
            << adbLine + u" (set in Settings)"_s << searched << u"scrcpy too old"_s
            << u"Found scrcpy 1.25 at %S"_s + advice;
    }

    void runtimeWordsFollowWhereTheToolsCameFrom()
    {
        QFETCH(QString, origin);
        QFETCH(QString, scrcpy);
        QFETCH(QString, adb);
        QFETCH(QString, caption);
        QFETCH(QString, footer);
        QFETCH(QString, hint);
        RuntimeLocator::setWellKnownDirectoriesOverride(QStringList{});
        if (origin == u"old"_s)
            m_world->sim.setScrcpy(u"version"_s, u"1.25"_s);
        else if (origin != u"settings"_s) {
            model().setCustomADBPath(origin == u"missing"_s ? u"/nonexistent/adb"_s : QString());
            model().setCustomScrcpyPath(origin == u"missing"_s ? u"/nonexistent/scrcpy"_s : QString());
        }
        if (origin == u"bundle"_s)
            m_world->sim.installAsBundle();
        if (origin == u"PATH"_s)
            m_world->sim.putOnPath();
        if (origin == u"missing"_s)
            qputenv("PATH", m_world->home.path().toUtf8());
        for (QString *text : {&scrcpy, &adb, &hint})
            text->replace(u"%S"_s, m_world->sim.scrcpyPath()).replace(u"%A"_s, m_world->sim.adbPath());

        m_window = std::make_unique<MainWindow>(&model());
        AboutWindow about(&model());
        SettingsWindow settings(&model());
        model().refreshRuntimeStatus();
        QTRY_COMPARE(pill(u"footerStatusPill"_s), footer);
        QVERIFY(!primary()->canTrigger());
        QCOMPARE(primary()->disabledHint(), hint);
        if (!model().runtimeHealthy())
            QCOMPARE(find<StatusPill>(u"footerStatusPill"_s)->toolTip(), hint);
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
        auto *box = settings.findChild<QCheckBox *>(u"xwaylandCheckBox"_s);
        QVERIFY(!box->isChecked());
        box->click();
        QVERIFY(UserDefaults::flag(UserDefaults::mirrorThroughXWaylandKey));
        model().setMirrorThroughXWayland(false);
        QVERIFY(!box->isChecked());

        // The test display has no tray: the option shows off, cannot be changed, and leaves the setting be.
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        auto *tray = settings.findChild<QCheckBox *>(u"trayCheckBox"_s);
        QVERIFY(!tray->isEnabled() && !tray->isChecked());
        QVERIFY(model().showTrayIcon());
    }
};

QTEST_MAIN(TestAppWindow)
#include "tst_app_window.moc"
