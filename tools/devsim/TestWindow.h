#pragma once

#include <QString>
#include <QWidget>

namespace devsim {

// The stand-in for scrcpy's mirror window, shown when the world asks for it ("window": true) and a
// display is available. It records every key it receives, with its modifiers, in the world's
// "windowKeys", so tests can check keyboard shortcuts end to end. Closing it ends the session.
// It lives in a plugin (devsim_window) so that only sessions with a window load Qt Widgets: every other
// invocation, adb above all, starts with Qt Core alone.
class TestWindow final : public QWidget
{
public:
    TestWindow(const QString &title, QString worldPath);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QString m_worldPath;
};

} // namespace devsim
