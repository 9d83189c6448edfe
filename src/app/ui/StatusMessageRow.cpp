#include "StatusMessageRow.h"

#include "Theme.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>

namespace quorvane::app {

StatusMessageRow::StatusMessageRow(QWidget *parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_text(new QLabel(this))
{
    m_icon->setObjectName(QStringLiteral("statusMessageSymbol"));
    m_text->setObjectName(QStringLiteral("statusMessageText"));
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, Theme::spacingXS, 0, Theme::spacingXS);
    layout->setSpacing(Theme::spacingS);
    layout->addWidget(m_icon, 0, Qt::AlignTop);
    layout->addWidget(m_text, 1);
    hide();
}

void StatusMessageRow::setMessage(const std::optional<QString> &message, bool failed)
{
    m_message = message;
    m_failed = failed;
    const QColor tint = Theme::color(failed ? Tone::Danger : Tone::Success);
    m_text->setText(message.value_or(QString()));
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::WindowText,
                     failed ? tint : QApplication::palette().color(QPalette::WindowText));
    m_text->setPalette(palette);
    m_icon->setPixmap(Theme::pixmap(symbol(), tint, Theme::iconSize - 2, devicePixelRatioF()));
    setAccessibleName(message.value_or(QString()));
    setVisible(message.has_value() && !message->isEmpty());
}

QString StatusMessageRow::symbol() const
{
    return m_failed ? QStringLiteral("exclamationmark.octagon.fill")
                    : QStringLiteral("checkmark.circle.fill");
}

} // namespace quorvane::app
