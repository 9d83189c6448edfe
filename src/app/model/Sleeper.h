#pragma once

#include <QtGlobal>

#include <QCoroTask>

#include <chrono>
#include <coroutine>
#include <map>
#include <memory>

class QObject;

namespace quorvane::app {

// The timed waits of one owner (the model's monitor, onboarding delay and reconnect pauses). A wait ends
// when its time is up, when its cancellation is cancelled, or when the owner wakes every wait on its way
// out, so no coroutine is left suspended for ever once the owner has gone. Callers re-check what they
// need after every wait.
class Sleeper
{
public:
    // A cooperative cancellation shared by one loop and its canceller.
    struct Cancellation
    {
        bool cancelled = false;
        // The canceller has already put the published state right, so the loop ends without a word.
        bool quiet = false;
    };

    // Timers run on context's thread and die with it.
    explicit Sleeper(QObject *context);
    Q_DISABLE_COPY_MOVE(Sleeper)

    // Returns at once when cancellation is already cancelled.
    QCoro::Task<void> sleep(std::chrono::milliseconds duration,
                            std::shared_ptr<Cancellation> cancellation = nullptr);
    // Marks the cancellation and ends its waits on the next turn of the event loop.
    void cancel(const std::shared_ptr<Cancellation> &cancellation, bool quiet);
    // Ends every wait now, synchronously; for the owner's destructor.
    void wakeAll();

private:
    class Awaiter;
    struct Pending
    {
        std::coroutine_handle<> handle;
        const Cancellation *cancellation = nullptr;
    };

    void resume(quint64 id);

    QObject *m_context;
    quint64 m_nextId = 0;
    std::map<quint64, Pending> m_pending;
};

} // namespace quorvane::app
