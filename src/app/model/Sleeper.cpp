#include "Sleeper.h"

#include <QObject>
#include <QTimer>

#include <vector>

namespace quorvane::app {

// Holds no object with a destructor: g++ 12 may destroy such an awaiter twice across the suspension.
class Sleeper::Awaiter
{
public:
    Awaiter(Sleeper *sleeper, std::chrono::milliseconds duration, const Cancellation *cancellation)
        : m_sleeper(sleeper)
        , m_duration(duration)
        , m_cancellation(cancellation)
    {
    }

    bool await_ready() const noexcept { return m_cancellation && m_cancellation->cancelled; }

    void await_suspend(std::coroutine_handle<> handle)
    {
        Sleeper *sleeper = m_sleeper;
        const quint64 id = sleeper->m_nextId++;
        sleeper->m_pending.emplace(id, Pending{handle, m_cancellation});
        // Precise: a coarse timer may fire a little early, and the schedule's waits are promises.
        QTimer::singleShot(m_duration, Qt::PreciseTimer, sleeper->m_context,
                           [sleeper, id] { sleeper->resume(id); });
    }

    void await_resume() const noexcept {}

private:
    Sleeper *m_sleeper;
    std::chrono::milliseconds m_duration;
    const Cancellation *m_cancellation;
};

Sleeper::Sleeper(QObject *context)
    : m_context(context)
{
}

QCoro::Task<void> Sleeper::sleep(std::chrono::milliseconds duration,
                                 std::shared_ptr<Cancellation> cancellation)
{
    co_await Awaiter(this, duration, cancellation.get());
}

void Sleeper::cancel(const std::shared_ptr<Cancellation> &cancellation, bool quiet)
{
    if (!cancellation)
        return;
    cancellation->cancelled = true;
    cancellation->quiet = quiet;
    std::vector<quint64> ids;
    for (const auto &[id, pending] : m_pending) {
        if (pending.cancellation == cancellation.get())
            ids.push_back(id);
    }
    // Not from inside the canceller's own call: the loop's ending runs after it, as a timer's would.
    for (const quint64 id : ids)
        QTimer::singleShot(0, m_context, [this, id] { resume(id); });
}

void Sleeper::wakeAll()
{
    while (!m_pending.empty())
        resume(m_pending.begin()->first);
}

void Sleeper::resume(quint64 id)
{
    const auto it = m_pending.find(id);
    if (it == m_pending.end())
        return;
    const std::coroutine_handle<> handle = it->second.handle;
    m_pending.erase(it);
    handle.resume();
}

} // namespace quorvane::app
