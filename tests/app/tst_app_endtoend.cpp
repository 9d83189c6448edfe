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
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace quorvane;
using namespace quorvane::app;
using namespace quorvane::test;

namespace {

const QString serial = QStringLiteral("R5CT1234");

// Processes (other than this one) that the simulator started for this test's world, as "pid: command".
QStringList simulatorProcesses(const QString &worldPath)
{
    const QByteArray marker = "DEVSIM_WORLD=" + worldPath.toUtf8();
    QStringList found;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number || pid == QCoreApplication::applicationPid())
            continue;
        QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
        if (!environ.open(QIODevice::ReadOnly) || !environ.readAll().split('\0').contains(marker))
            continue;
        QFile command(QStringLiteral("/proc/%1/cmdline").arg(pid));
        command.open(QIODevice::ReadOnly);
        found.append(QString::number(pid) + QStringLiteral(": ") +
                     QString::fromLocal8Bit(command.readAll().replace('\0', ' ')));
    }
    return found;
}

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
        for (const QJsonValue &key : m_world->sim.readWorld()[QStringLiteral("windowKeys")].toArray()) {
            if (key[QStringLiteral("key")].toString() == QLatin1String("F")) {
                QStringList modifiers;
                for (const QJsonValue &modifier : key[QStringLiteral("modifiers")].toArray())
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
        m_world->sim.setScrcpy(QStringLiteral("window"), true);
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
        m_world->sim.addPhone(serial)
            .model(QStringLiteral("Pixel 8"))
            .setting(QStringLiteral("system"), QStringLiteral("show_touches"), QStringLiteral("0"));
        QTRY_VERIFY_WITH_TIMEOUT(!sheet->isVisible(), 10000);
        QVERIFY(m_shell->model().onboardingCompleted());
        QCOMPARE(m_shell->model().selectedSerial(), serial);
    }

    void startingASessionOpensTheMirrorWindow()
    {
        auto *primary = find<PrimaryActionButton>(QStringLiteral("primaryLaunchButton"));
        QTRY_VERIFY(primary->canTrigger());
        click(primary->findChild<QPushButton *>());
        QTRY_VERIFY_WITH_TIMEOUT(m_shell->model().sessionActive(), 10000);
        const QByteArray title = QStringLiteral("Quorvane · %1").arg(serial).toUtf8();
        QTRY_VERIFY_WITH_TIMEOUT(
            isViewable(m_server.connection(), findWindowByTitle(m_server.connection(), title)), 10000);
    }

    void toggleFullscreenSendsTheKeyToTheMirrorWindow()
    {
        click(find<QToolButton>(QStringLiteral("sessionTerminalButton")));
        click(find<QPushButton>(QStringLiteral("live_fullscreen")));
        QTRY_COMPARE_WITH_TIMEOUT(fullscreenKeyModifiers(),
                                  (QStringList{QStringLiteral("ctrl"), QStringLiteral("alt")}), 5000);
    }

    void aLiveSettingChangesThePhone()
    {
        click(find<QPushButton>(QStringLiteral("live_showTouches")));
        QTRY_COMPARE(m_world->phoneSetting(QStringLiteral("system"), QStringLiteral("show_touches")),
                     QStringLiteral("1"));
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
        QCOMPARE(m_world->phoneSetting(QStringLiteral("system"), QStringLiteral("show_touches")),
                 QStringLiteral("0"));
        QCOMPARE(m_world->sim.callArguments(QStringLiteral("adb"))
                     .count(QStringList{QStringLiteral("kill-server")}),
                 1);
        const QString world = m_world->sim.worldPath();
        const bool noneLeft = QTest::qWaitFor([&] { return simulatorProcesses(world).isEmpty(); });
        QVERIFY2(noneLeft, qPrintable(simulatorProcesses(world).join(QStringLiteral("; "))));
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
