#pragma once

#include "AboutWindow.h"
#include "AppLifecycle.h"
#include "AppModel.h"
#include "DesktopTray.h"
#include "MainWindow.h"
#include "PlatformServices.h"
#include "SettingsWindow.h"
#include "TerminationSignals.h"
#include "Timing.h"

#include <QObject>

#include <memory>

namespace quorvane::app {

// The whole application for one process: the desktop facilities, the one model, its lifecycle and its
// windows, wired together. The executable and the end-to-end tests build exactly this.
class ApplicationShell final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ApplicationShell)

public:
    explicit ApplicationShell(std::unique_ptr<PlatformServices> platform, Timing timing = {},
                              QObject *parent = nullptr);

    // Opens the main window; the model starts when it is first shown.
    void show();

    AppModel &model() { return m_model; }
    MainWindow &mainWindow() { return m_window; }
    AppLifecycle &lifecycle() { return m_lifecycle; }
    DesktopTray &tray() { return m_tray; }

signals:
    // The clean-up after a quit request is over (or ran out of time): the process may end now.
    void finished();

private:
    std::unique_ptr<PlatformServices> m_platform;
    AppModel m_model;
    AppLifecycle m_lifecycle;
    MainWindow m_window;
    SettingsWindow m_settings;
    AboutWindow m_about;
    DesktopTray m_tray;
    TerminationSignals m_termination;
};

} // namespace quorvane::app
