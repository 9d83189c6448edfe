#include "StatusMessageRow.h"

#include "ElidedText.h"
#include "Theme.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>

namespace quorvane::app {

StatusMessageRow::StatusMessageRow(QWidget *parent, Space space)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_text(new ElidedText(2, this))
{
    m_icon->setObjectName(QStringLiteral("statusMessageSymbol"));
    m_text->setObjectName(QStringLiteral("statusMessageText"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, Theme::spacingXS, 0, Theme::spacingXS);
    layout->setSpacing(Theme::spacingS);
    layout->addWidget(m_icon, 0, Qt::AlignTop);
    layout->addWidget(m_text, 1);
    if (space == Space::Reserve) {
        m_text->setMinimumHeight(m_text->fullHeight());
        QSizePolicy policy = sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        setSizePolicy(policy);
    }
    hide();
    Theme::follow(this, [this] { restyle(); });
}

void StatusMessageRow::setMessage(const std::optional<QString> &message, MessageTone tone)
{
    m_message = message;
    m_tone = tone;
    m_text->setText(message.value_or(QString()));
    restyle();
    setAccessibleName(message.value_or(QString()));
    setVisible(message.has_value() && !message->isEmpty());
}

void StatusMessageRow::restyle()
{
    const Tone look = Theme::toneOf(m_tone);
    Theme::setTextColor(m_text, look == Tone::Danger ? Theme::color(look)
                                                     : QApplication::palette().color(QPalette::WindowText));
    m_icon->setPixmap(Theme::pixmap(symbol(), Theme::color(look), Theme::iconSize - 2, devicePixelRatioF()));
}

QString StatusMessageRow::symbol() const
{
    return Theme::symbolOf(m_tone);
}

} // namespace quorvane::app
