// The whole application as the executable builds it, on a private X server, with the device simulator as
// the runtime bundled beside it: first-run setup closing by itself, a session opening the mirror window,
// a shortcut key reaching that window, and a quit that leaves neither a changed phone setting nor a
// process behind.
#include "ApplicationShell.h"
#include "ModelTesting.h"
#include "OnboardingSheet.h"
#include "PlatformFactory.h"
#include "PrimaryActionButton.h"
#include "TestXServer.h"
#include "WidgetLookup.h"
#include "XWindows.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace quorvane;
using namespace quorvane::app;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

namespace {

const QString serial = u"R5CT1234"_s;

} // namespace

class TestAppEndToEnd final : public QObject
{
    Q_OBJECT

public:
    explicit TestAppEndToEnd(const TestXServer &server)
        : m_server(server)
    {
    }

private:
    const TestXServer &m_server;
    std::unique_ptr<ModelWorld> m_world;
    std::unique_ptr<ApplicationShell> m_shell;

    template<typename T>
    T *find(const QString &name)
    {
        return child<T>(m_shell->mainWindow(), name);
    }

    void click(QAbstractButton *button)
    {
        QVERIFY(button->isVisible());
        // A live setting being applied holds the others back for a moment.
        QTRY_VERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    }

    QStringList fullscreenKeyModifiers() const
    {
        for (const QJsonValue &key : m_world->sim.readWorld()[u"windowKeys"_s].toArray()) {
            if (key[u"key"_s].toString() == QLatin1String("F")) {
                QStringList modifiers;
                for (const QJsonValue &modifier : key[u"modifiers"_s].toArray())
                    modifiers.append(modifier.toString());
                return modifiers;
            }
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        if (!m_server.available())
            QSKIP(qPrintable(m_server.problem()));
        m_world = std::make_unique<ModelWorld>();
        m_world->sim.installAsBundle();
        m_world->sim.setScrcpy(u"window"_s, true);
        // The quit fallback keeps its real length: this test quits the clean way, within it.
        Timing timing = modelTiming();
        timing.quitFallback = Timing{}.quitFallback;
        m_shell = std::make_unique<ApplicationShell>(PlatformFactory::create(timing), timing);
        m_shell->show();
        QVERIFY2(!QApplication::windowIcon().pixmap(32).isNull(), "the windows carry no application icon");
    }

    void cleanupTestCase()
    {
        m_shell.reset();
        m_world.reset();
    }

    void setupClosesByItselfWhenAPhoneIsPlugged()
    {
        OnboardingSheet *sheet = m_shell->mainWindow().onboardingSheet();
        QTRY_VERIFY(sheet->isVisible());
        m_world->sim.addPhone(serial).model(u"Pixel 8"_s).setting(u"system"_s, u"show_touches"_s, u"0"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!sheet->isVisible(), 10000);
        QVERIFY(m_shell->model().onboardingCompleted());
        QCOMPARE(m_shell->model().selectedSerial(), serial);
    }

    void startingASessionOpensTheMirrorWindow()
    {
        auto *primary = find<PrimaryActionButton>(u"primaryLaunchButton"_s);
        QTRY_VERIFY(primary->canTrigger());
        click(primary->findChild<QPushButton *>());
        QTRY_VERIFY_WITH_TIMEOUT(m_shell->model().sessionActive(), 10000);
        const QByteArray title = u"Quorvane · %1"_s.arg(serial).toUtf8();
        QTRY_VERIFY_WITH_TIMEOUT(
            isViewable(m_server.connection(), findWindowByTitle(m_server.connection(), title)), 10000);
    }

    void toggleFullscreenSendsTheKeyToTheMirrorWindow()
    {
        click(find<QToolButton>(u"sessionTerminalButton"_s));
        click(find<QPushButton>(u"live_fullscreen"_s));
        QTRY_COMPARE_WITH_TIMEOUT(fullscreenKeyModifiers(), (QStringList{u"ctrl"_s, u"alt"_s}), 5000);
    }

    void aLiveSettingChangesThePhone()
    {
        click(find<QPushButton>(u"live_showTouches"_s));
        QTRY_COMPARE(m_world->phoneSetting(u"system"_s, u"show_touches"_s), u"1"_s);
    }

    void quittingStopsTheSessionAndPutsThePhoneBack()
    {
        QSignalSpy finished(m_shell.get(), &ApplicationShell::finished);
        m_shell->mainWindow().close();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(finished.wait(6000));
        QVERIFY2(clock.elapsed() < Timing{}.quitFallback.count(), "the clean-up ran into the fallback");
        QVERIFY(!m_shell->model().sessionManager().status().active);
        QCOMPARE(m_world->phoneSetting(u"system"_s, u"show_touches"_s), u"0"_s);
        QCOMPARE(m_world->sim.callArguments(u"adb"_s).count(QStringList{u"kill-server"_s}), 1);
        QTRY_VERIFY2(m_world->sim.runningProcesses().isEmpty(),
                     "a simulated adb or scrcpy outlived the quit");
    }
};

// The private X server must exist before the application connects to a display.
int main(int argc, char *argv[])
{
    TestXServer server;
    qputenv("QT_QPA_PLATFORM", server.available() ? "xcb" : "offscreen");
    QApplication application(argc, argv);
    TestAppEndToEnd test(server);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_app_endtoend.moc"
