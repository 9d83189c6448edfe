// Writes one PNG per view of the application into the folder given, each in the state it is named after,
// with the device simulator as the runtime. Used by scripts/screenshots.
#include "AboutWindow.h"
#include "MainWindow.h"
#include "ModelTesting.h"
#include "OnboardingSheet.h"
#include "RuntimeLocator.h"
#include "SettingsWindow.h"

#include <QApplication>
#include <QDir>
#include <QTest>

using namespace quorvane;
using namespace quorvane::app;
using namespace quorvane::test;

namespace {

const QString serial = QStringLiteral("R5CT1234");

void save(QWidget *widget, const QString &path)
{
    widget->show();
    QTest::qWait(300);
    if (!widget->grab().save(path))
        qFatal("cannot write %s", qPrintable(path));
}

struct Scene
{
    ModelWorld world;
    std::unique_ptr<MainWindow> window;

    explicit Scene(bool phone)
    {
        if (phone)
            world.sim.addPhone(serial).model(QStringLiteral("Pixel 8"));
        world.model().setOnboardingCompleted(true);
        window = std::make_unique<MainWindow>(&world.model());
        window->resize(1100, 720);
        window->show();
        QTest::qWait(400);
        await(world.model().refreshDevices());
        QTRY_VERIFY(world.model().runtimeHealthy());
    }
};

void mainViews(const QString &dir)
{
    {
        Scene scene(false);
        save(scene.window.get(), dir + QStringLiteral("/main-no-device.png"));
        scene.world.model().showOnboardingAgain();
        OnboardingSheet *sheet = scene.window->onboardingSheet();
        sheet->resize(560, 380);
        save(sheet, dir + QStringLiteral("/onboarding.png"));
        scene.world.model().skipOnboarding();
    }
    Scene scene(true);
    QTRY_VERIFY(scene.world.model().canLaunch());
    save(scene.window.get(), dir + QStringLiteral("/main-ready.png"));
    await(scene.world.model().launchCurrentMode());
    scene.window->setTerminalShown(true);
    save(scene.window.get(), dir + QStringLiteral("/main-running.png"));
    scene.world.endNewestSession();
    QTRY_VERIFY(scene.world.model().reconnecting());
    save(scene.window.get(), dir + QStringLiteral("/main-reconnecting.png"));
    scene.world.model().cancelReconnect();
}

void secondaryViews(const QString &dir)
{
    Scene scene(true);
    SettingsWindow settings(&scene.world.model());
    save(&settings, dir + QStringLiteral("/settings.png"));
    AboutWindow about;
    about.resize(420, 360);
    save(&about, dir + QStringLiteral("/about.png"));
}

void runtimeMissing(const QString &dir)
{
    ModelWorld world;
    world.model().setOnboardingCompleted(true);
    world.model().setCustomADBPath(QStringLiteral("/nonexistent/adb"));
    world.model().setCustomScrcpyPath(QStringLiteral("/nonexistent/scrcpy"));
    RuntimeLocator::setWellKnownDirectoriesOverride(QStringList{});
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", world.home.path().toUtf8());
    MainWindow window(&world.model());
    window.resize(1100, 720);
    world.model().refreshRuntimeStatus();
    window.show();
    QTRY_VERIFY(world.model().runtime().adbFound == false);
    save(&window, dir + QStringLiteral("/main-runtime-missing.png"));
    qputenv("PATH", path);
    RuntimeLocator::setWellKnownDirectoriesOverride(std::nullopt);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2)
        qFatal("usage: qv_screenshots DIR");
    const QString dir = QDir(arguments.at(1)).absolutePath();
    QDir().mkpath(dir);
    mainViews(dir);
    secondaryViews(dir);
    runtimeMissing(dir);
    return 0;
}
