#include "IconBadge.h"

#include "Theme.h"

#include <QPainter>

namespace quorvane::app {

IconBadge::IconBadge(const QString &symbol, const QColor &tint, int size, QWidget *parent)
    : QWidget(parent)
    , m_symbol(symbol)
    , m_tint(tint)
    , m_size(size)
{
    setFixedSize(size, size);
}

void IconBadge::setSymbol(const QString &symbol)
{
    m_symbol = symbol;
    update();
}

void IconBadge::setTint(const QColor &tint)
{
    m_tint = tint;
    update();
}

void IconBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::wash(m_tint));
    painter.drawRoundedRect(rect(), m_size / 4.0, m_size / 4.0);
    const int glyph = m_size * 3 / 5;
    const QPixmap image = Theme::pixmap(m_symbol, m_tint, glyph, devicePixelRatioF());
    painter.drawPixmap((m_size - glyph) / 2, (m_size - glyph) / 2, image);
}

} // namespace quorvane::app
