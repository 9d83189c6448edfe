// The X11 platform against a real X server and the device simulator's mirror window: the trust check,
// activation of a process's window with and without a window manager, and shortcut keys that arrive with
// Control+Alt after being held for the key gap without blocking the event loop.
#include "Await.h"
#include "DevSim.h"
#include "TestHome.h"
#include "TestXServer.h"
#include "X11Platform.h"
#include "XWindows.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

using namespace quorvane;
using namespace quorvane::app;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

Window focusedWindow(Display *display)
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus;
}

bool keyDown(Display *display, const char *keysymName)
{
    char keys[32];
    XQueryKeymap(display, keys);
    const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(keysymName));
    return keys[code / 8] & (1 << (code % 8));
}

bool anyShortcutKeyDown(Display *display)
{
    for (const char *name : {"Control_L", "Alt_L", "Shift_L", "f", "o", "t", "a"}) {
        if (keyDown(display, name))
            return true;
    }
    return false;
}

// The EWMH properties a window manager leaves on the root window, for as long as the object lives.
// "running": its check window exists and names itself; "gone": the check window was destroyed.
class WindowManagerTraces
{
public:
    WindowManagerTraces(Display *display, bool running)
        : m_display(display)
        , m_root(DefaultRootWindow(display))
    {
        Window check = XCreateSimpleWindow(display, m_root, 0, 0, 1, 1, 0, 0, 0);
        setWindowProperty(check, check);
        setWindowProperty(m_root, check);
        const Atom supported[] = {atom("_NET_WM_NAME"), atom("_NET_ACTIVE_WINDOW")};
        XChangeProperty(display, m_root, atom("_NET_SUPPORTED"), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(supported), 2);
        if (running)
            m_check = check;
        else
            XDestroyWindow(display, check);
        XSelectInput(display, m_root, SubstructureNotifyMask);
        XSync(display, False);
    }

    ~WindowManagerTraces()
    {
        XSelectInput(m_display, m_root, NoEventMask);
        XDeleteProperty(m_display, m_root, atom("_NET_SUPPORTING_WM_CHECK"));
        XDeleteProperty(m_display, m_root, atom("_NET_SUPPORTED"));
        XDeleteProperty(m_display, m_root, atom("_NET_ACTIVE_WINDOW"));
        if (m_check)
            XDestroyWindow(m_display, m_check);
        XSync(m_display, False);
    }

    // What the window manager does for an activation request: focus, then announce.
    void activate(Window window)
    {
        XSetInputFocus(m_display, window, RevertToParent, CurrentTime);
        XChangeProperty(m_display, m_root, atom("_NET_ACTIVE_WINDOW"), XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(&window), 1);
        XSync(m_display, False);
    }

    // The _NET_ACTIVE_WINDOW request sent to the root window, if one came.
    std::optional<XClientMessageEvent> activationRequest()
    {
        QElapsedTimer clock;
        clock.start();
        XEvent event;
        while (clock.elapsed() < 2000) {
            XSync(m_display, False);
            while (XCheckTypedEvent(m_display, ClientMessage, &event)) {
                if (event.xclient.message_type == atom("_NET_ACTIVE_WINDOW"))
                    return event.xclient;
            }
            QThread::msleep(20);
        }
        return std::nullopt;
    }

private:
    Atom atom(const char *name) const { return XInternAtom(m_display, name, False); }

    void setWindowProperty(Window on, Window value)
    {
        XChangeProperty(m_display, on, atom("_NET_SUPPORTING_WM_CHECK"), XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char *>(&value), 1);
    }

    Display *m_display;
    Window m_root;
    Window m_check = 0;
};

} // namespace

class TestPlatformX11 final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_server = std::make_unique<TestXServer>();
        if (!m_server->available())
            QSKIP(qPrintable(m_server->problem()));
        m_display = m_server->connection();
        m_home = std::make_unique<TestHome>();
        m_sim = std::make_unique<DevSim>(*m_home);
        const QString serial = m_sim->addPhone(u"R5CW20ABCDE"_s).serial();
        m_sim->setScrcpy(u"window"_s, true);
        m_title = "platform window " + QByteArray::number(QCoreApplication::applicationPid());

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"ADB"_s, m_sim->adbPath());
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        m_session.setProcessEnvironment(environment);
        m_session.start(m_sim->scrcpyPath(),
                        {u"-s"_s, serial, u"--window-title="_s + QString::fromUtf8(m_title)});
        m_window = waitForViewableWindow(m_display, m_title);
        QVERIFY2(m_window && isViewable(m_display, m_window), "the session's window never appeared");
    }

    void cleanupTestCase()
    {
        if (m_session.state() != QProcess::NotRunning) {
            m_session.terminate();
            QVERIFY(m_session.waitForFinished(5000));
        }
        m_display = nullptr;
        m_sim.reset();
        m_home.reset();
        m_server.reset();
    }

    // Every case starts with the keyboard focused nowhere, so a focus change is the platform's doing.
    void init()
    {
        XSetInputFocus(m_display, None, RevertToNone, CurrentTime);
        XSync(m_display, False);
    }

    void activatesTheWindowOfTheProcess_data()
    {
        QTest::addColumn<QString>("windowManager");
        QTest::newRow("bare X server: focus set directly") << u"none"_s;
        QTest::newRow("window manager running: asked to activate") << u"running"_s;
        QTest::newRow("window manager gone: focus set directly") << u"gone"_s;
    }

    void activatesTheWindowOfTheProcess()
    {
        QFETCH(QString, windowManager);
        std::optional<WindowManagerTraces> traces;
        if (windowManager != QLatin1String("none"))
            traces.emplace(m_display, windowManager == QLatin1String("running"));
        const std::unique_ptr<X11Platform> platform = X11Platform::open();

        QVERIFY(platform->activate(m_session.processId()));

        if (windowManager == QLatin1String("running")) {
            const std::optional<XClientMessageEvent> request = traces->activationRequest();
            QVERIFY2(request, "no _NET_ACTIVE_WINDOW request reached the window manager");
            QCOMPARE(request->window, m_window);
            QCOMPARE(request->format, 32);
            QCOMPARE(request->data.l[0], 2L);
            // Focus is the window manager's to give.
            QCOMPARE(focusedWindow(m_display), Window(None));
        } else {
            QCOMPARE(focusedWindow(m_display), m_window);
        }
    }

    // The window manager activates in its own time; keys sent before it does would reach the window that
    // still has the focus.
    void shortcutsWaitForTheWindowManagerToActivate_data()
    {
        QTest::addColumn<int>("answerAfterMs");
        QTest::newRow("activated after 150 ms") << 150;
        QTest::newRow("never activated: sent anyway, after a while") << -1;
    }

    void shortcutsWaitForTheWindowManagerToActivate()
    {
        QFETCH(int, answerAfterMs);
        WindowManagerTraces traces(m_display, true);
        const std::unique_ptr<X11Platform> platform = X11Platform::open();
        const qsizetype before = recordedKeys().size();
        QVERIFY(platform->activate(m_session.processId()));
        QVERIFY(traces.activationRequest());
        if (answerAfterMs >= 0)
            QTimer::singleShot(answerAfterMs, this, [this, &traces] { traces.activate(m_window); });
        QElapsedTimer clock;
        clock.start();

        test::await(platform->sendShortcut(u"f"_s));

        if (answerAfterMs >= 0) {
            QVERIFY(clock.elapsed() >= answerAfterMs);
            QTRY_COMPARE_WITH_TIMEOUT(shortcutKeysSince(before).size(), 1, 5000);
            QCOMPARE(shortcutKeysSince(before).at(0)[u"modifiers"_s].toArray(),
                     (QJsonArray{u"ctrl"_s, u"alt"_s}));
        } else {
            QVERIFY(clock.elapsed() >= 400);
            QVERIFY(clock.elapsed() < 2000);
            // Nobody gave the window the focus, so the keys went nowhere.
            QTest::qWait(300);
            QCOMPARE(shortcutKeysSince(before).size(), 0);
        }
        QVERIFY2(!anyShortcutKeyDown(m_display), "a key of the shortcut was left pressed");
    }

    void processesWithoutAWindowAreNotActivated_data()
    {
        QTest::addColumn<qint64>("pid");
        QTest::newRow("this test, which has no window") << QCoreApplication::applicationPid();
        QTest::newRow("zero") << qint64(0);
    }

    void processesWithoutAWindowAreNotActivated()
    {
        QFETCH(qint64, pid);
        const std::unique_ptr<X11Platform> platform = X11Platform::open();
        QVERIFY(!platform->activate(pid));
        QCOMPARE(focusedWindow(m_display), Window(None));
    }

    // Control and Alt come with every key (the plain case is also waited for above); Shift joins them. All
    // are held for the key gap while the event loop runs, and none is left pressed.
    void shortcutsArriveWithControlAltAndShiftHeldForTheGap()
    {
        Timing timing;
        timing.keyGap = std::chrono::milliseconds(300);
        const std::unique_ptr<X11Platform> platform = X11Platform::open(timing);
        const qsizetype before = recordedKeys().size();
        QVERIFY(platform->activate(m_session.processId()));
        bool heldDuringGap = false;
        QTimer::singleShot(100, this, [this, &heldDuringGap] {
            heldDuringGap = keyDown(m_display, "Control_L") && keyDown(m_display, "Alt_L") &&
                            keyDown(m_display, "Shift_L") && keyDown(m_display, "o");
        });
        QElapsedTimer clock;
        clock.start();

        test::await(platform->sendShortcut(u"shift+o"_s));

        QVERIFY2(heldDuringGap, "the shortcut's keys were not all down while the event loop ran in the gap");
        QVERIFY(clock.elapsed() >= 300);
        QJsonArray keys;
        QTRY_VERIFY_WITH_TIMEOUT((keys = shortcutKeysSince(before)).size() >= 1, 5000);
        QCOMPARE(keys.size(), 1);
        QCOMPARE(keys.at(0)[u"key"_s].toString(), u"O"_s);
        QCOMPARE(keys.at(0)[u"modifiers"_s].toArray(), (QJsonArray{u"ctrl"_s, u"alt"_s, u"shift"_s}));
        QCOMPARE(keys.at(0)[u"title"_s].toString(), QString::fromUtf8(m_title));
        QVERIFY2(!anyShortcutKeyDown(m_display), "a key of the shortcut was left pressed");
    }

private:
    QJsonArray recordedKeys() const { return m_sim->readWorld()[u"windowKeys"_s].toArray(); }

    // The keys recorded after the first `from`, without the presses of Control and Alt themselves.
    QJsonArray shortcutKeysSince(qsizetype from) const
    {
        const QJsonArray all = recordedKeys();
        QJsonArray keys;
        for (qsizetype i = from; i < all.size(); ++i) {
            const QString name = all.at(i)[u"key"_s].toString();
            if (!modifierKeyNames().contains(name))
                keys.append(all.at(i));
        }
        return keys;
    }

    static QStringList modifierKeyNames() { return {u"Ctrl"_s, u"Control"_s, u"Alt"_s, u"Shift"_s}; }

    std::unique_ptr<TestXServer> m_server;
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<DevSim> m_sim;
    Display *m_display = nullptr;
    QProcess m_session;
    QByteArray m_title;
    Window m_window = 0;
};

QTEST_GUILESS_MAIN(TestPlatformX11)
#include "tst_platform_x11.moc"
