#pragma once

#include <QMainWindow>

namespace quorvane::app {

class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    explicit MainWindow(QWidget *parent = nullptr);
};

} // namespace quorvane::app
