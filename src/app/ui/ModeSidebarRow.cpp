#include "ModeSidebarRow.h"

#include "IconBadge.h"
#include "Theme.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace quorvane::app {

namespace {

QLabel *passiveLabel(const QString &objectName, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(objectName);
    // Clicks belong to the row.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

} // namespace

ModeSidebarRow::ModeSidebarRow(const QString &title, const QString &subtitle, const QString &symbol,
                               const QColor &tint, QWidget *parent)
    : QAbstractButton(parent)
    , m_badge(new IconBadge(symbol, tint, Theme::badgeSize, this))
    , m_title(passiveLabel(QStringLiteral("modeTitle"), this))
    , m_subtitle(passiveLabel(QStringLiteral("modeSubtitle"), this))
    , m_warning(passiveLabel(QStringLiteral("modeWarning"), this))
{
    setCheckable(true);
    setAutoExclusive(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setText(title);
    setAccessibleName(title);
    setAccessibleDescription(subtitle);
    m_badge->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_title->setText(title);
    m_title->setFont(Theme::headlineFont());
    m_subtitle->setText(subtitle);
    m_subtitle->setFont(Theme::captionFont());
    Theme::setTextTone(m_subtitle, Tone::Neutral);
    Theme::follow(m_warning, [this] {
        m_warning->setPixmap(Theme::pixmap(QStringLiteral("exclamationmark.triangle.fill"),
                                           Theme::color(Tone::Warning), Theme::iconSize,
                                           devicePixelRatioF()));
    });
    // The label passes mouse events on, so the row carries the help text while the warning shows.
    m_warning->setToolTip(QStringLiteral("Not supported by this device"));
    m_warning->hide();

    auto *texts = new QVBoxLayout;
    texts->setSpacing(1);
    texts->addWidget(m_title);
    texts->addWidget(m_subtitle);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(Theme::spacingS, Theme::spacingS - 2, Theme::spacingS, Theme::spacingS - 2);
    layout->setSpacing(Theme::spacingM - 2);
    layout->addWidget(m_badge);
    layout->addLayout(texts, 1);
    layout->addWidget(m_warning);
}

void ModeSidebarRow::setWarning(bool warning)
{
    m_warningShown = warning;
    m_warning->setVisible(warning);
    setToolTip(warning ? m_warning->toolTip() : QString());
}

QString ModeSidebarRow::title() const
{
    return m_title->text();
}

QString ModeSidebarRow::subtitle() const
{
    return m_subtitle->text();
}

QString ModeSidebarRow::symbol() const
{
    return m_badge->symbol();
}

QColor ModeSidebarRow::tint() const
{
    return m_badge->tint();
}

void ModeSidebarRow::setTint(const QColor &tint)
{
    m_badge->setTint(tint);
}

QSize ModeSidebarRow::sizeHint() const
{
    return layout()->sizeHint();
}

void ModeSidebarRow::focusInEvent(QFocusEvent *event)
{
    // Arrow keys move the focus with no particular reason; only a click leaves the ring out.
    m_keyboardFocus = event->reason() != Qt::MouseFocusReason;
    QAbstractButton::focusInEvent(event);
}

void ModeSidebarRow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    if (isChecked())
        painter.setBrush(Theme::wash(Theme::color(Tone::Accent)));
    else if (underMouse())
        painter.setBrush(Theme::separator());
    else
        painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect(), Theme::cornerRadius - 2, Theme::cornerRadius - 2);
    if (hasFocus() && m_keyboardFocus) {
        painter.setPen(QPen(Theme::color(Tone::Accent), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), Theme::cornerRadius - 2,
                                Theme::cornerRadius - 2);
    }
}

} // namespace quorvane::app
