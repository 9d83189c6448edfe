// The test window of a simulated scrcpy session receives real X key events and records them with their
// modifiers in the world.
#include "DevSim.h"
#include "TestHome.h"
#include "XWindows.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <memory>

using namespace quorvane::test;

namespace {

void tap(Display *display, KeySym key)
{
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), True, CurrentTime);
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), False, CurrentTime);
}

} // namespace

class TestDevSimWindow final : public QObject
{
    Q_OBJECT

private slots:
    void keysReachTheWindowWithTheirModifiers()
    {
        Display *display = XOpenDisplay(nullptr);
        if (!display)
            QSKIP("needs an X display (scripts/test provides one)");
        int event = 0, error = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(display, &event, &error, &major, &minor))
            QSKIP("the X server has no XTEST extension");
        TestHome home;
        DevSim sim(home);
        const QString serial = sim.addPhone(QStringLiteral("R5CW20ABCDE")).serial();
        sim.setScrcpy(QStringLiteral("window"), true);
        const QByteArray title = "devsim window " + QByteArray::number(QCoreApplication::applicationPid());

        QProcess session;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ADB"), sim.adbPath());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        session.setProcessEnvironment(environment);
        session.start(sim.scrcpyPath(), {QStringLiteral("-s"), serial,
                                         QStringLiteral("--window-title=") + QString::fromUtf8(title)});

        const Window window = waitForViewableWindow(display, title);
        QVERIFY2(window, "the session's window never appeared");
        XRaiseWindow(display, window);
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        XSync(display, False);
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, XK_Control_L), True, CurrentTime);
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, XK_Alt_L), True, CurrentTime);
        tap(display, XK_f);
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, XK_Alt_L), False, CurrentTime);
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, XK_Control_L), False, CurrentTime);
        XSync(display, False);

        QJsonObject fKey;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000 && fKey.isEmpty()) {
            for (const QJsonValue &key : sim.readWorld()[QStringLiteral("windowKeys")].toArray()) {
                if (key[QStringLiteral("key")].toString() == QLatin1String("F"))
                    fKey = key.toObject();
            }
            QThread::msleep(50);
        }
        session.terminate();
        QVERIFY(session.waitForFinished(5000));
        XCloseDisplay(display);

        QCOMPARE(fKey[QStringLiteral("modifiers")].toArray(),
                 (QJsonArray{QStringLiteral("ctrl"), QStringLiteral("alt")}));
        QCOMPARE(fKey[QStringLiteral("title")].toString(), QString::fromUtf8(title));
        QCOMPARE(session.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDevSimWindow)
#include "tst_devsim_window.moc"
