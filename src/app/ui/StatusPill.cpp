#include "StatusPill.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace quorvane::app {

StatusPill::StatusPill(QWidget *parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_text(new QLabel(this))
{
    m_icon->setObjectName(QStringLiteral("statusPillSymbol"));
    m_text->setObjectName(QStringLiteral("statusPillText"));
    QFont font = Theme::captionFont();
    font.setWeight(QFont::DemiBold);
    m_text->setFont(font);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(Theme::spacingS + 2, 3, Theme::spacingS + 2, 3);
    layout->setSpacing(Theme::spacingXS + 1);
    layout->addWidget(m_icon);
    layout->addWidget(m_text);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    m_icon->hide();
    restyle();
}

void StatusPill::setText(const QString &text)
{
    m_text->setText(text);
    setAccessibleName(text);
}

QString StatusPill::text() const
{
    return m_text->text();
}

void StatusPill::setTone(Tone tone)
{
    if (tone == m_tone)
        return;
    m_tone = tone;
    restyle();
}

void StatusPill::setSymbol(const QString &symbol)
{
    if (symbol == m_symbol)
        return;
    m_symbol = symbol;
    restyle();
}

void StatusPill::restyle()
{
    const QColor tint = Theme::color(m_tone);
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::WindowText, tint);
    m_text->setPalette(palette);
    m_icon->setVisible(!m_symbol.isEmpty());
    if (!m_symbol.isEmpty())
        m_icon->setPixmap(Theme::pixmap(m_symbol, tint, Theme::smallIconSize, devicePixelRatioF()));
    update();
}

void StatusPill::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        restyle();
}

void StatusPill::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::wash(Theme::color(m_tone)));
    const qreal radius = height() / 2.0;
    painter.drawRoundedRect(rect(), radius, radius);
}

} // namespace quorvane::app
