#include "Async.h"

#include <QCoreApplication>
#include <QPointer>
#include <QProcess>
#include <QTimer>

#include <QCoroSignal>

#include <array>
#include <coroutine>
#include <memory>

namespace quorvane {

namespace {

class ProcessEndAwaiter
{
public:
    explicit ProcessEndAwaiter(QProcess *process)
        : m_process(process)
    {
    }

    bool await_ready() const noexcept { return m_process->state() == QProcess::NotRunning; }

    void await_suspend(std::coroutine_handle<> handle)
    {
        auto connections = std::make_shared<std::array<QMetaObject::Connection, 2>>();
        QProcess *process = m_process;
        // Resuming from a queued call keeps the coroutine from deleting the process inside its own signal.
        auto resume = [connections, handle, process] {
            for (const auto &connection : *connections)
                QObject::disconnect(connection);
            QMetaObject::invokeMethod(
                process, [handle] { handle.resume(); }, Qt::QueuedConnection);
        };
        (*connections)[0] = QObject::connect(process, &QProcess::finished, process,
                                             [resume](int, QProcess::ExitStatus) { resume(); });
        (*connections)[1] = QObject::connect(process, &QProcess::errorOccurred, process,
                                             [resume](QProcess::ProcessError error) {
                                                 if (error == QProcess::FailedToStart)
                                                     resume();
                                             });
    }

    void await_resume() const noexcept {}

private:
    QProcess *m_process;
};

} // namespace

QCoro::Task<void> processEnded(QProcess *process)
{
    co_await ProcessEndAwaiter(process);
}

QCoro::Task<void> sleepPrecisely(std::chrono::milliseconds duration)
{
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    timer.start(duration);
    co_await qCoro(&timer, &QTimer::timeout);
}

QObject *childProcessOwner()
{
    static QPointer<QObject> owner;
    if (!owner)
        owner = new QObject(QCoreApplication::instance());
    return owner;
}

} // namespace quorvane
