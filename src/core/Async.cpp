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

// Waits for a process to leave a state: Starting (it runs, or it failed to start) or any running state
// (it ended, or it never started).
class ProcessStateAwaiter
{
public:
    enum class Until { Started, Ended };

    ProcessStateAwaiter(QProcess *process, Until until)
        : m_process(process)
        , m_until(until)
    {
    }

    bool await_ready() const noexcept
    {
        const QProcess::ProcessState state = m_process->state();
        return m_until == Until::Started ? state != QProcess::Starting : state == QProcess::NotRunning;
    }

    void await_suspend(std::coroutine_handle<> handle)
    {
        auto connections = std::make_shared<std::array<QMetaObject::Connection, 3>>();
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
        if (m_until == Until::Started)
            (*connections)[2] = QObject::connect(process, &QProcess::started, process, resume);
    }

    void await_resume() const noexcept {}

private:
    QProcess *m_process;
    Until m_until;
};

} // namespace

QCoro::Task<void> processEnded(QProcess *process)
{
    co_await ProcessStateAwaiter(process, ProcessStateAwaiter::Until::Ended);
}

QCoro::Task<bool> processStarted(QProcess *process)
{
    co_await ProcessStateAwaiter(process, ProcessStateAwaiter::Until::Started);
    co_return process->state() == QProcess::Running;
}

QCoro::Task<void> sleepPrecisely(std::chrono::milliseconds duration, QObject *context)
{
    QPointer<QTimer> timer = new QTimer(context);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(true);
    timer->start(duration);
    co_await qCoro(timer.data(), &QTimer::timeout);
    delete timer.data();
}

QObject *childProcessOwner()
{
    static QPointer<QObject> owner;
    if (!owner)
        owner = new QObject(QCoreApplication::instance());
    return owner;
}

} // namespace quorvane
