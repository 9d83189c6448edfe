#include "LaunchMessageBadge.h"

#include "ElidedText.h"
#include "Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace quorvane::app {

LaunchMessageBadge::LaunchMessageBadge(QWidget *parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_text(new ElidedText(2, this))
{
    m_icon->setObjectName(QStringLiteral("launchMessageSymbol"));
    m_text->setObjectName(QStringLiteral("launchMessageText"));
    m_text->setFont(Theme::captionFont());
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(Theme::spacingS, Theme::spacingXS, Theme::spacingS + 2, Theme::spacingXS);
    layout->setSpacing(Theme::spacingS - 2);
    layout->addWidget(m_icon, 0, Qt::AlignTop);
    layout->addWidget(m_text, 1, Qt::AlignVCenter);
    hide();
    Theme::follow(this, [this] { restyle(); });
}

void LaunchMessageBadge::setMessage(const QString &message, MessageTone tone)
{
    m_tone = tone;
    m_text->setText(message);
    setAccessibleName(message);
    setToolTip(message);
    restyle();
    setVisible(!message.isEmpty());
}

void LaunchMessageBadge::restyle()
{
    m_icon->setPixmap(Theme::pixmap(symbol(), Theme::color(Theme::toneOf(m_tone)), Theme::smallIconSize,
                                    devicePixelRatioF()));
    update();
}

QString LaunchMessageBadge::message() const
{
    return m_text->text();
}

QString LaunchMessageBadge::symbol() const
{
    return Theme::symbolOf(m_tone);
}

int LaunchMessageBadge::fullHeight() const
{
    const QMargins margins = layout()->contentsMargins();
    return m_text->fullHeight() + margins.top() + margins.bottom();
}

void LaunchMessageBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::wash(Theme::color(Theme::toneOf(m_tone))));
    painter.drawRoundedRect(rect(), Theme::cornerRadius - 2, Theme::cornerRadius - 2);
}

} // namespace quorvane::app
