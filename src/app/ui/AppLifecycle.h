#pragma once

#include "Timing.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <QCoroTask>

#include <optional>

namespace quorvane::app {

class AppModel;

// Ties the process's life to the model: a quit request stops every session (which puts the phone's
// settings back) and shuts the adb server down before the application may end, and never takes longer
// than the quit fallback even when a stop hangs. A second request while cleaning up is ignored.
class AppLifecycle final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppLifecycle)

public:
    explicit AppLifecycle(Timing timing = {}, QObject *parent = nullptr);

    // Called when the model starts: from then on quitting stops the model's sessions.
    void configure(AppModel *model);
    void requestQuit();
    bool isTerminating() const { return m_terminating; }

signals:
    // Emitted exactly once, when the application may end now.
    void readyToQuit();

private:
    QCoro::Task<void> cleanUp();
    static QCoro::Task<void> killAdbServer(std::optional<QString> adbOverride);
    void reply();

    Timing m_timing;
    QPointer<AppModel> m_model;
    std::optional<QString> m_adbOverride;
    bool m_terminating = false;
    bool m_didReply = false;
};

} // namespace quorvane::app
