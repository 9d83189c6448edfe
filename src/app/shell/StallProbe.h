#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

class QWidget;

namespace quorvane::app {

// Measures how long the event loop goes without turning, by how late a short precise timer fires. The
// benchmark switches it on in the application with QUORVANE_STALL_PROBE=1; nothing of it exists otherwise.
class StallProbe final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StallProbe)

public:
    static constexpr std::chrono::milliseconds tick{2};

    explicit StallProbe(QObject *parent = nullptr);
    // Reports "longest-stall-ms <value>" on standard output when the probe came from the environment.
    ~StallProbe() override;

    // The probe the environment asks for, or none.
    static std::unique_ptr<StallProbe> fromEnvironment();

    std::chrono::microseconds longestStall() const { return m_longest; }
    // The most processor time the loop's thread spent between two turns: the stall without the time the
    // thread waited for a processor that others were using.
    std::chrono::microseconds longestBusy() const { return m_longestBusy; }
    void reset();
    // Reports "ready-ms <time since the probe began>" at the first paint inside window once ready() holds.
    void reportFirstPaint(QWidget *window, std::function<bool()> ready);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void turned();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastTurnNs = 0;
    std::chrono::nanoseconds m_lastTurnCpu{0};
    std::chrono::microseconds m_longest{0};
    std::chrono::microseconds m_longestBusy{0};
    bool m_reports = false;
    QWidget *m_window = nullptr;
    std::function<bool()> m_ready;
};

} // namespace quorvane::app
