#include "ApplicationShell.h"
#include "PlatformFactory.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationName(QStringLiteral("Quorvane"));

    using namespace quorvane::app;
    ApplicationShell shell(PlatformFactory::create());
    QObject::connect(&shell, &ApplicationShell::finished, &application, &QApplication::quit);
    shell.show();
    return QApplication::exec();
}
