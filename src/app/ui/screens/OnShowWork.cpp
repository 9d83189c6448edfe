#include "OnShowWork.h"

#include "AppModel.h"

#include <QPointer>
#include <QWidget>

namespace quorvane::app {

OnShowWork::OnShowWork(QWidget *screen, AppModel *model, void (AppModel::*resultChanged)(),
                       std::function<bool()> missing, Work work)
    : QObject(screen)
    , m_screen(screen)
    , m_model(model)
    , m_missing(std::move(missing))
    , m_work(std::move(work))
{
    // Queued: an inspection publishes the profile first and clears the results after it, in one go.
    connect(model, &AppModel::deviceProfileChanged, this, &OnShowWork::runAgainIfMissing,
            Qt::QueuedConnection);
    connect(model, resultChanged, this, &OnShowWork::runAgainIfMissing, Qt::QueuedConnection);
}

void OnShowWork::run()
{
    track();
}

QCoro::Task<void> OnShowWork::track()
{
    const QPointer<OnShowWork> self(this);
    const quint64 run = ++m_runs;
    m_runningFor = m_model->selectedSerial().value_or(QString());
    QCoro::Task<void> work = m_work();
    co_await std::move(work);
    if (self && self->m_runs == run)
        self->m_runningFor.reset();
}

void OnShowWork::runAgainIfMissing()
{
    const std::optional<QString> &serial = m_model->selectedSerial();
    if (!m_screen->isVisible() || !serial || serial->isEmpty() || !m_missing() || m_runningFor == serial)
        return;
    run();
}

} // namespace quorvane::app
