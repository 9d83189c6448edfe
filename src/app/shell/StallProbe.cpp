#include "StallProbe.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace quorvane::app {

using namespace std::chrono;

namespace {

nanoseconds threadCpuTime()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return seconds(now.tv_sec) + nanoseconds(now.tv_nsec);
}

} // namespace

StallProbe::StallProbe(QObject *parent)
    : QObject(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(tick);
    connect(&m_timer, &QTimer::timeout, this, &StallProbe::turned);
    m_clock.start();
    m_timer.start();
}

StallProbe::~StallProbe()
{
    if (m_reports)
        std::printf("longest-stall-ms %.3f busy %.3f\n", duration<double, std::milli>(m_longest).count(),
                    duration<double, std::milli>(m_longestBusy).count());
}

std::unique_ptr<StallProbe> StallProbe::fromEnvironment()
{
    if (qEnvironmentVariableIntValue("QUORVANE_STALL_PROBE") != 1)
        return nullptr;
    auto probe = std::make_unique<StallProbe>();
    probe->m_reports = true;
    return probe;
}

void StallProbe::reset()
{
    m_longest = microseconds{0};
    m_longestBusy = microseconds{0};
    m_lastTurnNs = m_clock.nsecsElapsed();
    m_lastTurnCpu = threadCpuTime();
}

void StallProbe::turned()
{
    const qint64 now = m_clock.nsecsElapsed();
    const nanoseconds cpu = threadCpuTime();
    // The first turn has nothing to compare with: start-up is measured as a whole elsewhere.
    if (m_lastTurnNs > 0) {
        m_longest = std::max(m_longest, duration_cast<microseconds>(nanoseconds(now - m_lastTurnNs) - tick));
        m_longestBusy = std::max(m_longestBusy, duration_cast<microseconds>(cpu - m_lastTurnCpu));
    }
    m_lastTurnNs = now;
    m_lastTurnCpu = cpu;
}

void StallProbe::reportFirstPaint(QWidget *window, std::function<bool()> ready)
{
    m_window = window;
    m_ready = std::move(ready);
    qApp->installEventFilter(this);
}

bool StallProbe::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && watched->isWidgetType() && m_ready()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget == m_window || m_window->isAncestorOf(widget)) {
            qApp->removeEventFilter(this);
            std::printf("ready-ms %lld\n", m_clock.elapsed());
            std::fflush(stdout);
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quorvane::app
