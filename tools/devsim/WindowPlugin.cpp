#include "WindowPlugin.h"

#include <QFileInfo>
#include <QLibrary>

namespace devsim {

namespace {

using CreateApplication = QCoreApplication *(*)(int &, char **);
using OpenWindow = QObject *(*)(const QString &, const QString &);

QLibrary &plugin()
{
    // Resolved before any application object exists, so from the running executable itself.
    static QLibrary library(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() +
                            QStringLiteral("/libdevsim_window"));
    return library;
}

bool guiApplication = false;

} // namespace

std::unique_ptr<QCoreApplication> WindowPlugin::createApplication(bool withWindow, int &argc, char **argv)
{
    if (withWindow) {
        if (auto create = reinterpret_cast<CreateApplication>(plugin().resolve("devsimCreateApplication"))) {
            guiApplication = true;
            return std::unique_ptr<QCoreApplication>(create(argc, argv));
        }
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

std::unique_ptr<QObject> WindowPlugin::openWindow(const QString &title, const QString &worldPath)
{
    if (!guiApplication)
        return nullptr;
    auto open = reinterpret_cast<OpenWindow>(plugin().resolve("devsimOpenWindow"));
    return open ? std::unique_ptr<QObject>(open(title, worldPath)) : nullptr;
}

} // namespace devsim
