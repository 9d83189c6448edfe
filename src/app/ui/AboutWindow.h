#pragma once

#include <QWidget>

class QLabel;

namespace quorvane::app {

class AppModel;

// The product, the tools it really found and the open-source components it is built on, with their
// notices.
class AboutWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutWindow)

public:
    explicit AboutWindow(AppModel *model, QWidget *parent = nullptr);

    static QString notices();

private:
    void showNotices();
    void refresh();

    AppModel *m_model;
    QLabel *m_scrcpy = nullptr;
    QLabel *m_adb = nullptr;
};

} // namespace quorvane::app
