#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QString>

#include <memory>

namespace devsim {

// Loads the test window's plugin (libdevsim_window beside the executable) only when a session wants a
// window; without the plugin the session simply runs windowless.
class WindowPlugin
{
public:
    // A QApplication from the plugin, or a plain QCoreApplication when no window is wanted or possible.
    static std::unique_ptr<QCoreApplication> createApplication(bool withWindow, int &argc, char **argv);
    // The window, or nullptr when the application is not the plugin's.
    static std::unique_ptr<QObject> openWindow(const QString &title, const QString &worldPath);
};

} // namespace devsim
