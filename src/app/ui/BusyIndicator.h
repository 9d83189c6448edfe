#pragma once

#include "Theme.h"

#include <QTimer>
#include <QWidget>

namespace quorvane::app {

// A small spinning arc for work in progress; it only ticks while running and visible.
class BusyIndicator final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BusyIndicator)

public:
    explicit BusyIndicator(int size = 16, QWidget *parent = nullptr);

    void setRunning(bool running);
    bool isRunning() const { return m_running; }
    void setTone(Tone tone);

    QSize sizeHint() const override { return {m_size, m_size}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void updateTimer();

    QTimer m_timer;
    Tone m_tone = Tone::Neutral;
    int m_size;
    int m_angle = 0;
    bool m_running = false;
};

} // namespace quorvane::app
