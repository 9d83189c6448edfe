#pragma once

#include "ScrcpyOptions.h"

#include <QJsonObject>
#include <QWidget>

#include <memory>

namespace devsim {

// The stand-in for scrcpy's mirror window, shown when the world asks for it ("window": true) and a
// display is available. It records every key it receives, with its modifiers, in the world's
// "windowKeys", so tests can check keyboard shortcuts end to end. Closing it ends the session.
class TestWindow final : public QWidget
{
public:
    TestWindow(const QString &title, QString worldPath);

    static std::unique_ptr<TestWindow> openIfWanted(const ScrcpyOptions &options, const QJsonObject &phone,
                                                    const QString &worldPath);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QString m_worldPath;
};

} // namespace devsim
