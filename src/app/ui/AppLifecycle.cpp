#include "AppLifecycle.h"

#include "AppModel.h"
#include "ProcessRunner.h"
#include "RuntimeLocator.h"

#include <QFileInfo>
#include <QTimer>

namespace quorvane::app {

AppLifecycle::AppLifecycle(Timing timing, QObject *parent)
    : QObject(parent)
    , m_timing(std::move(timing))
{
}

void AppLifecycle::configure(AppModel *model)
{
    m_model = model;
    model->sessionManager();
    const QString adb = model->customADBPath();
    m_adbOverride = adb.isEmpty() ? std::nullopt : std::optional<QString>(adb);
}

void AppLifecycle::requestQuit()
{
    if (m_terminating)
        return;
    m_terminating = true;
    cleanUp();
    // Stopping is never checked for errors and may hang: the application still ends in time.
    QTimer::singleShot(m_timing.quitFallback, this, &AppLifecycle::reply);
}

QCoro::Task<void> AppLifecycle::cleanUp()
{
    const QPointer<AppLifecycle> self(this);
    if (m_model) {
        // Through the model, not its session manager alone: a session that ends without the model
        // knowing why looks like a dropped phone, and the reconnect would start a new one mid-quit.
        QCoro::Task<void> stopping = m_model->stopAllSessions();
        co_await std::move(stopping);
    }
    if (!self)
        co_return;
    QCoro::Task<void> killing = killAdbServer(m_adbOverride);
    co_await std::move(killing);
    if (self)
        self->reply();
}

// Only the adb we would use ourselves is asked to stop its server; a bare "adb" from nowhere is not run.
QCoro::Task<void> AppLifecycle::killAdbServer(std::optional<QString> adbOverride)
{
    const std::optional<QString> adb = RuntimeLocator::resolve(QStringLiteral("adb"), adbOverride);
    if (!adb || !QFileInfo(*adb).isFile() || !QFileInfo(*adb).isExecutable())
        co_return;
    const QStringList arguments{QStringLiteral("kill-server")};
    try {
        QCoro::Task<ProcessResult> killing = ProcessRunner::runCollect(*adb, arguments);
        co_await std::move(killing);
    } catch (const std::exception &) {
        // A server that cannot be stopped is no reason to keep the application open.
    }
}

void AppLifecycle::reply()
{
    if (m_didReply)
        return;
    m_didReply = true;
    emit readyToQuit();
}

} // namespace quorvane::app
