#include "Async.h"

#include <QCoreApplication>
#include <QPointer>
#include <QProcess>
#include <QTimer>

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

// A precise single-shot timer that resumes the sleeper; it dies with its context, and so does the wait.
class SleepAwaiter
{
public:
    SleepAwaiter(std::chrono::milliseconds duration, QObject *context)
        : m_duration(duration)
        , m_context(context)
    {
    }

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle)
    {
        QTimer::singleShot(m_duration, Qt::PreciseTimer, m_context, [handle] { handle.resume(); });
    }
    void await_resume() const noexcept {}

private:
    std::chrono::milliseconds m_duration;
    QObject *m_context;
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
    co_await SleepAwaiter(duration, context ? context : childProcessOwner());
}

QObject *childProcessOwner()
{
    static QPointer<QObject> owner;
    if (!owner)
        owner = new QObject(QCoreApplication::instance());
    return owner;
}

} // namespace quorvane
