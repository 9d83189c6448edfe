#include "SectionCard.h"

#include "IconBadge.h"
#include "Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace quorvane::app {

SectionCard::SectionCard(const QString &title, const QString &symbol, QWidget *parent)
    : QFrame(parent)
    , m_badge(new IconBadge(symbol, Theme::color(m_tone), 24, this))
    , m_title(new QLabel(title, this))
    , m_header(new QHBoxLayout)
    , m_content(new QVBoxLayout)
{
    m_badge->setObjectName(QStringLiteral("sectionCardSymbol"));
    m_title->setObjectName(QStringLiteral("sectionCardTitle"));
    m_title->setFont(Theme::headlineFont());
    setAccessibleName(title);
    m_header->setSpacing(Theme::spacingS);
    m_header->addWidget(m_badge);
    m_header->addWidget(m_title, 1);
    m_content->setSpacing(Theme::spacingS);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(Theme::spacingL, Theme::spacingM, Theme::spacingL, Theme::spacingL);
    layout->setSpacing(Theme::spacingM);
    layout->addLayout(m_header);
    layout->addLayout(m_content);
    Theme::follow(this, [this] { m_badge->setTint(Theme::color(m_tone)); });
}

void SectionCard::setTitle(const QString &title)
{
    m_title->setText(title);
    setAccessibleName(title);
}

QString SectionCard::title() const
{
    return m_title->text();
}

QString SectionCard::symbol() const
{
    return m_badge->symbol();
}

void SectionCard::setSymbol(const QString &symbol, Tone tone)
{
    m_tone = tone;
    m_badge->setSymbol(symbol);
    m_badge->setTint(Theme::color(tone));
}

void SectionCard::addHeaderWidget(QWidget *widget)
{
    m_header->addWidget(widget);
}

void SectionCard::addWidget(QWidget *widget)
{
    m_content->addWidget(widget);
}

void SectionCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Theme::separator(), 1));
    painter.setBrush(Theme::cardBackground());
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), Theme::cornerRadius,
                            Theme::cornerRadius);
}

} // namespace quorvane::app
