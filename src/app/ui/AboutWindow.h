#pragma once

#include <QWidget>

namespace quorvane::app {

// The product, the runtime it uses and the open-source components it is built on, with their notices.
class AboutWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutWindow)

public:
    explicit AboutWindow(QWidget *parent = nullptr);

    static QString notices();
    // "bundled" when adb and scrcpy come from beside the application, else "external".
    static QString runtimeSource();

private:
    void showNotices();
};

} // namespace quorvane::app
