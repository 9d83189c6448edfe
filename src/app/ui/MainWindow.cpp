#include "MainWindow.h"

namespace quorvane::app {

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Quorvane"));
    setMinimumSize(980, 640);
}

} // namespace quorvane::app
