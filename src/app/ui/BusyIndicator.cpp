#include "BusyIndicator.h"

#include "Theme.h"

#include <QPainter>

namespace quorvane::app {

BusyIndicator::BusyIndicator(int size, QWidget *parent)
    : QWidget(parent)
    , m_size(size)
{
    setFixedSize(size, size);
    m_timer.setInterval(40);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 30) % 360;
        update();
    });
}

void BusyIndicator::setRunning(bool running)
{
    m_running = running;
    setVisible(running);
    updateTimer();
}

void BusyIndicator::setTone(Tone tone)
{
    m_tone = tone;
    update();
}

void BusyIndicator::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateTimer();
}

void BusyIndicator::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateTimer();
}

void BusyIndicator::updateTimer()
{
    if (m_running && isVisible())
        m_timer.start();
    else
        m_timer.stop();
}

void BusyIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal pen = qMax(1.5, m_size / 8.0);
    painter.setPen(QPen(Theme::color(m_tone), pen, Qt::SolidLine, Qt::RoundCap));
    const QRectF circle = QRectF(rect()).adjusted(pen, pen, -pen, -pen);
    // Angles are in sixteenths of a degree; a three-quarter arc turning clockwise.
    painter.drawArc(circle, -m_angle * 16, 270 * 16);
}

} // namespace quorvane::app
