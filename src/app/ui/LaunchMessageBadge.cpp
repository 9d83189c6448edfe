#include "LaunchMessageBadge.h"

#include "Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace quorvane::app {

namespace {

QColor toneOf(bool failed)
{
    return Theme::color(failed ? Tone::Danger : Tone::Success);
}

} // namespace

LaunchMessageBadge::LaunchMessageBadge(QWidget *parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_text(new QLabel(this))
{
    m_icon->setObjectName(QStringLiteral("launchMessageSymbol"));
    m_text->setObjectName(QStringLiteral("launchMessageText"));
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setFont(Theme::captionFont());
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(Theme::spacingS, Theme::spacingXS, Theme::spacingS + 2, Theme::spacingXS);
    layout->setSpacing(Theme::spacingS - 2);
    layout->addWidget(m_icon, 0, Qt::AlignTop);
    layout->addWidget(m_text, 1);
    hide();
}

void LaunchMessageBadge::setMessage(const QString &message, bool failed)
{
    m_failed = failed;
    m_text->setText(message);
    setAccessibleName(message);
    m_icon->setPixmap(Theme::pixmap(symbol(), toneOf(failed), Theme::smallIconSize, devicePixelRatioF()));
    setVisible(!message.isEmpty());
    update();
}

QString LaunchMessageBadge::message() const
{
    return m_text->text();
}

QString LaunchMessageBadge::symbol() const
{
    return m_failed ? QStringLiteral("exclamationmark.octagon.fill")
                    : QStringLiteral("checkmark.circle.fill");
}

void LaunchMessageBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::wash(toneOf(m_failed)));
    painter.drawRoundedRect(rect(), Theme::cornerRadius - 2, Theme::cornerRadius - 2);
}

} // namespace quorvane::app
