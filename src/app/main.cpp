#include "AboutWindow.h"
#include "AppLifecycle.h"
#include "AppModel.h"
#include "MainWindow.h"
#include "ModeScreens.h"
#include "PlatformFactory.h"
#include "SettingsWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    // Quitting waits for the sessions to stop, so the last window closing must not end the process first.
    QApplication::setQuitOnLastWindowClosed(false);

    using namespace quorvane::app;
    const std::unique_ptr<PlatformServices> platform = PlatformFactory::create();
    AppModel model(platform.get());
    AppLifecycle lifecycle;
    QObject::connect(&model, &AppModel::started, &lifecycle, [&] { lifecycle.configure(&model); });
    QObject::connect(&lifecycle, &AppLifecycle::readyToQuit, &application, &QApplication::quit);

    MainWindow window(&model);
    installModeScreens(window, model);
    QObject::connect(&window, &MainWindow::quitRequested, &lifecycle, &AppLifecycle::requestQuit);
    SettingsWindow settings(&model);
    AboutWindow about;
    const auto bringUp = [](QWidget *shown) {
        shown->show();
        shown->raise();
        shown->activateWindow();
    };
    QObject::connect(&window, &MainWindow::settingsRequested, &settings, [&] { bringUp(&settings); });
    QObject::connect(&window, &MainWindow::aboutRequested, &about, [&] { bringUp(&about); });
    window.show();
    return QApplication::exec();
}
