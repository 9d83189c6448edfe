#include "ApplicationShell.h"
#include "PlatformFactory.h"
#include "StallProbe.h"
#include "StartupCommandLine.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    using namespace quorvane::app;
    if (const std::optional<int> exitCode = StartupCommandLine::handle(argc, argv))
        return *exitCode;

    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationName(QStringLiteral("Quorvane"));

    ApplicationShell shell(PlatformFactory::create());
    const std::unique_ptr<StallProbe> probe = StallProbe::fromEnvironment();
    if (probe)
        probe->reportFirstPaint(&shell.mainWindow(), [&shell] { return !shell.model().devices().isEmpty(); });
    QObject::connect(&shell, &ApplicationShell::finished, &application, &QApplication::quit);
    shell.show();
    return QApplication::exec();
}
