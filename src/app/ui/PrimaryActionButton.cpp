#include "PrimaryActionButton.h"

#include "BusyIndicator.h"
#include "ElidedText.h"
#include "Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvane::app {

namespace {

QString buttonStyle(const QColor &tint)
{
    return QStringLiteral(
               "QPushButton#primaryActionButton { background: %1; color: white; border: none;"
               " border-radius: 8px; padding: 7px 18px; font-weight: 600; }"
               "QPushButton#primaryActionButton:hover { background: %2; }"
               "QPushButton#primaryActionButton:pressed { background: %3; }"
               "QPushButton#primaryActionButton:disabled { background: %4; color: %5; }"
               // Without a border the style draws no focus: a keyboard user must see where they are.
               "QPushButton#primaryActionButton:focus { border: 2px solid %6; padding: 5px 16px; }")
        .arg(tint.name(), tint.lighter(112).name(), tint.darker(115).name(),
             Theme::wash(Theme::secondaryText()).name(QColor::HexArgb), Theme::secondaryText().name(),
             tint.darker(170).name());
}

// Two lines are kept for it whether it uses them or not, so that a longer hint never changes the height.
ElidedText *smallText(const QString &objectName, QWidget *parent)
{
    auto *text = new ElidedText(2, parent);
    text->setObjectName(objectName);
    text->setFont(Theme::captionFont());
    text->setPreferredWidth(260);
    text->setMinimumHeight(text->fullHeight());
    return text;
}

} // namespace

PrimaryActionButton::PrimaryActionButton(QWidget *parent)
    : QWidget(parent)
    , m_button(new QPushButton(this))
    , m_busyIndicator(new BusyIndicator(16, this))
    , m_caption(smallText(QStringLiteral("primaryActionCaption"), this))
    , m_hint(smallText(QStringLiteral("primaryActionHint"), this))
{
    m_button->setObjectName(QStringLiteral("primaryActionButton"));
    m_button->setCursor(Qt::PointingHandCursor);
    m_button->setMinimumWidth(180);
    m_busyIndicator->setObjectName(QStringLiteral("primaryActionBusy"));
    m_busyIndicator->setRunning(false);
    m_busyIndicator->setTone(Tone::Accent);
    Theme::setTextTone(m_hint, Tone::Warning);
    Theme::setTextTone(m_caption, Tone::Neutral);

    auto *row = new QHBoxLayout;
    row->setSpacing(Theme::spacingS);
    row->addWidget(m_button);
    row->addWidget(m_busyIndicator);
    row->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Theme::spacingXS);
    layout->addLayout(row);
    layout->addWidget(m_caption);
    layout->addWidget(m_hint);
    connect(m_button, &QPushButton::clicked, this, [this] {
        if (canTrigger())
            emit triggered();
    });
    // The button's style sheet carries the accent of the theme it was made in.
    Theme::follow(this, [this] { refresh(); });
}

void PrimaryActionButton::setTitle(const QString &title)
{
    m_title = title;
    // A title is text, not a mnemonic: "Start & Record" keeps its ampersand.
    m_button->setText(QString(title).replace(QLatin1Char('&'), QStringLiteral("&&")));
}

void PrimaryActionButton::setSecondaryLabel(const QString &label)
{
    m_button->setAccessibleName(label);
}

void PrimaryActionButton::setCaption(const QString &caption)
{
    m_caption->setText(caption);
    refresh();
}

void PrimaryActionButton::setSymbol(const QString &symbol)
{
    m_symbol = symbol;
    refresh();
}

void PrimaryActionButton::setBusy(bool busy)
{
    m_busy = busy;
    refresh();
}

void PrimaryActionButton::setActionEnabled(bool enabled)
{
    m_actionEnabled = enabled;
    refresh();
}

void PrimaryActionButton::setDisabledHint(const QString &hint)
{
    m_hint->setText(hint);
    refresh();
}

QString PrimaryActionButton::title() const
{
    return m_title;
}

QString PrimaryActionButton::secondaryLabel() const
{
    return m_button->accessibleName();
}

QString PrimaryActionButton::caption() const
{
    return m_caption->text();
}

QString PrimaryActionButton::disabledHint() const
{
    return m_hint->text();
}

// While the action cannot run its hint takes the caption's place: the reason matters more than the
// description then. Busy is not "cannot run", so the caption stays.
void PrimaryActionButton::refresh()
{
    m_button->setEnabled(canTrigger());
    m_button->setStyleSheet(buttonStyle(Theme::color(Tone::Accent)));
    m_button->setIcon(m_symbol.isEmpty() ? QIcon() : Theme::icon(m_symbol, Qt::white));
    m_busyIndicator->setRunning(m_busy);
    const bool showHint = !m_actionEnabled && !m_hint->text().isEmpty();
    m_hint->setVisible(showHint);
    m_caption->setVisible(!showHint && !m_caption->text().isEmpty());
}

} // namespace quorvane::app
