// Writes two PNGs per view of the application into the folder given, each in the state it is named after:
// NAME-light.png and NAME-dark.png, with the device simulator as the runtime. Used by scripts/screenshots.
#include "AboutWindow.h"
#include "MainWindow.h"
#include "MediaService.h"
#include "ModeScreens.h"
#include "ModelTesting.h"
#include "OnboardingSheet.h"
#include "RuntimeLocator.h"
#include "SettingsWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QPalette>
#include <QScrollArea>
#include <QTest>

using namespace quorvane;
using namespace quorvane::app;
using namespace quorvane::test;

namespace {

const QString serial = QStringLiteral("R5CT1234");

// What a desktop in dark mode hands the application.
QPalette darkPalette()
{
    QPalette dark(QColor(0x3a, 0x3a, 0x3c), QColor(0x1e, 0x1e, 0x1e));
    dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2c));
    dark.setColor(QPalette::AlternateBase, QColor(0x32, 0x32, 0x34));
    dark.setColor(QPalette::Highlight, QColor(0x0a, 0x84, 0xff));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::PlaceholderText, QColor(0x8e, 0x8e, 0x93));
    dark.setColor(QPalette::ToolTipBase, QColor(0x3a, 0x3a, 0x3c));
    dark.setColor(QPalette::ToolTipText, Qt::white);
    return dark;
}

// Each view is taken in the light theme, then switched to the dark one while it is shown, the way a
// desktop switches the system theme under a running application, and back.
void save(QWidget *shown, const QString &name, QWidget *taken = nullptr)
{
    static const QPalette light = QApplication::palette();
    static const QPalette dark = darkPalette();
    shown->show();
    for (const auto &[theme, palette] :
         {std::pair{QStringLiteral("light"), light}, {QStringLiteral("dark"), dark}}) {
        QApplication::setPalette(palette);
        QTest::qWait(300);
        const QString path = name + u'-' + theme + QStringLiteral(".png");
        if (!(taken ? taken : shown)->grab().save(path))
            qFatal("cannot write %s", qPrintable(path));
    }
    QApplication::setPalette(light);
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
        installModeScreens(*window, world.model());
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
        save(scene.window.get(), dir + QStringLiteral("/main-no-device"));
        scene.world.model().showOnboardingAgain();
        OnboardingSheet *sheet = scene.window->onboardingSheet();
        sheet->resize(560, 380);
        save(sheet, dir + QStringLiteral("/onboarding"));
        scene.world.model().skipOnboarding();
    }
    Scene scene(true);
    QTRY_VERIFY(scene.world.model().canLaunch());
    save(scene.window.get(), dir + QStringLiteral("/main-ready"));
    await(scene.world.model().launchCurrentMode());
    scene.window->setTerminalShown(true);
    save(scene.window.get(), dir + QStringLiteral("/main-running"));
    scene.world.endNewestSession();
    QTRY_VERIFY(scene.world.model().reconnecting());
    save(scene.window.get(), dir + QStringLiteral("/main-reconnecting"));
    scene.world.model().cancelReconnect();
}

void secondaryViews(const QString &dir)
{
    Scene scene(true);
    SettingsWindow settings(&scene.world.model());
    save(&settings, dir + QStringLiteral("/settings"));
    AboutWindow about(&scene.world.model());
    about.resize(about.minimumSize());
    save(&about, dir + QStringLiteral("/about"));
}

// A mode's screen as the window shows it, and its whole scrolling column as name-full.
void saveMode(Scene &scene, SidebarMode mode, const QString &dir, const QString &name)
{
    QWidget *screen = scene.window->screen(mode);
    save(scene.window.get(), dir + u'/' + name);
    auto *scroll = screen->findChild<QScrollArea *>(QStringLiteral("screenScroll"));
    if (!scroll)
        qFatal("no scrolling column on the %s screen", qPrintable(name));
    save(scene.window.get(), dir + u'/' + name + QStringLiteral("-full"), scroll->widget());
}

void clickIn(QWidget *screen, const QString &name)
{
    auto *button = screen->findChild<QAbstractButton *>(name);
    if (!button)
        qFatal("no button %s", qPrintable(name));
    button->click();
}

// Each mode's screen with the phone selected, once the work it starts when shown has finished.
void modeViews(const QString &dir)
{
    MediaService::setFolderOpener([](const QString &) {});
    Scene scene(true);
    AppModel &model = scene.world.model();
    QTRY_VERIFY_WITH_TIMEOUT(model.deviceProfile().has_value() && model.mirrorRecommendation().has_value(),
                             20000);
    saveMode(scene, SidebarMode::Mirror, dir, QStringLiteral("mirror"));
    // Files dragged over the screen, before they are dropped.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(scene.world.home.file(QStringLiteral("photo.jpg")))});
    QWidget *mirror = scene.window->screen(SidebarMode::Mirror);
    QDragEnterEvent enter(QPoint(40, 40), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(mirror, &enter);
    save(scene.window.get(), dir + QStringLiteral("/mirror-drop"));
    QDragLeaveEvent leave;
    QApplication::sendEvent(mirror, &leave);

    model.setSelectedMode(SidebarMode::Camera);
    clickIn(scene.window->screen(SidebarMode::Camera), QStringLiteral("cameraProbe"));
    QTRY_VERIFY_WITH_TIMEOUT(model.cameraCapabilities().has_value() && !model.probingCameras(), 20000);
    saveMode(scene, SidebarMode::Camera, dir, QStringLiteral("camera"));

    model.setSelectedMode(SidebarMode::Desktop);
    QTRY_VERIFY_WITH_TIMEOUT(model.desktopCapabilities().has_value() && !model.desktopBusy(), 20000);
    saveMode(scene, SidebarMode::Desktop, dir, QStringLiteral("desktop"));

    model.setSelectedMode(SidebarMode::Doctor);
    QTRY_VERIFY_WITH_TIMEOUT(!model.doctorRunning() && !model.doctorFindings().isEmpty(), 20000);
    saveMode(scene, SidebarMode::Doctor, dir, QStringLiteral("doctor"));

    // After the move to Wi-Fi: its status line and the phone among the remembered devices.
    model.setSelectedMode(SidebarMode::Wireless);
    clickIn(scene.window->screen(SidebarMode::Wireless), QStringLiteral("wirelessToWifi"));
    QTRY_VERIFY_WITH_TIMEOUT(!model.wirelessBusy() && !model.rememberedWireless().isEmpty(), 20000);
    saveMode(scene, SidebarMode::Wireless, dir, QStringLiteral("wireless"));
    // A failure on the same line: the simulator's adb is too old to pair.
    await(model.pairWireless(QStringLiteral("192.168.1.20:37123"), QStringLiteral("482913")));
    save(scene.window.get(), dir + QStringLiteral("/wireless-failed"));
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
    save(&window, dir + QStringLiteral("/main-runtime-missing"));
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
    modeViews(dir);
    runtimeMissing(dir);
    return 0;
}
