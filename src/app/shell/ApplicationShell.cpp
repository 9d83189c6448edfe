#include "ApplicationShell.h"

#include "ModeScreens.h"
#include "Theme.h"

#include <QApplication>

namespace quorvane::app {

namespace {

void bringUp(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

ApplicationShell::ApplicationShell(std::unique_ptr<PlatformServices> platform, Timing timing, QObject *parent)
    : QObject(parent)
    , m_platform(std::move(platform))
    , m_model(m_platform.get(), timing)
    , m_lifecycle(timing)
    , m_window(&m_model)
    , m_settings(&m_model)
    , m_about(&m_model)
    , m_tray(&m_model, &m_window)
{
    // Quitting waits for the sessions to stop, so the last window closing must not end the process first.
    QApplication::setQuitOnLastWindowClosed(false);
    // Set for the application, so every window, dialogs included, carries it; the desktop file name
    // lets a Wayland compositor match the windows to the installed entry and its themed icon.
    QApplication::setWindowIcon(Theme::applicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("app.quorvane.Quorvane"));
    installModeScreens(m_window, m_model);
    connect(&m_model, &AppModel::started, &m_lifecycle, [this] { m_lifecycle.configure(&m_model); });
    connect(&m_lifecycle, &AppLifecycle::readyToQuit, this, &ApplicationShell::finished);
    connect(&m_window, &MainWindow::quitRequested, &m_lifecycle, &AppLifecycle::requestQuit);
    // Logging out or a kill from a terminal quits the same way, so the phone is put back then too.
    connect(&m_termination, &TerminationSignals::received, &m_lifecycle, &AppLifecycle::requestQuit);
    connect(&m_window, &MainWindow::settingsRequested, this, [this] { bringUp(&m_settings); });
    connect(&m_window, &MainWindow::aboutRequested, this, [this] { bringUp(&m_about); });
    m_model.setNotifier(&m_tray);
    connect(&m_tray, &DesktopTray::showRequested, this, [this] { bringUp(&m_window); });
    connect(&m_tray, &DesktopTray::quitRequested, &m_lifecycle, &AppLifecycle::requestQuit);
}

void ApplicationShell::show()
{
    m_window.show();
}

} // namespace quorvane::app
