#include "ElidedText.h"

#include <QPainter>
#include <QTextLayout>

namespace quorvane::app {

ElidedText::ElidedText(int maximumLines, QWidget *parent)
    : QWidget(parent)
    , m_maximumLines(std::max(maximumLines, 1))
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void ElidedText::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    setToolTip(text);
    updateGeometry();
    update();
}

void ElidedText::setPreferredWidth(int width)
{
    m_preferredWidth = width;
    updateGeometry();
}

QStringList ElidedText::linesFor(int width) const
{
    if (m_text.isEmpty() || width <= 0)
        return {};
    QString text = m_text;
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(text, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == m_maximumLines - 1) {
            // The last allowed line takes the rest of the message, cut where it no longer fits.
            QString rest = text.mid(line.textStart());
            rest.replace(QChar::LineSeparator, QLatin1Char(' '));
            lines << fontMetrics().elidedText(rest, Qt::ElideRight, width);
            break;
        }
        lines << text.mid(line.textStart(), line.textLength()).remove(QChar::LineSeparator).trimmed();
    }
    layout.endLayout();
    return lines;
}

int ElidedText::fullHeight() const
{
    return m_maximumLines * fontMetrics().lineSpacing();
}

QSize ElidedText::sizeHint() const
{
    const int width = std::min(fontMetrics().horizontalAdvance(m_text) + 1, m_preferredWidth);
    return {width, heightForWidth(width)};
}

QSize ElidedText::minimumSizeHint() const
{
    return {fontMetrics().averageCharWidth() * 8, fontMetrics().lineSpacing()};
}

int ElidedText::heightForWidth(int width) const
{
    return std::max<qsizetype>(linesFor(width).size(), 1) * fontMetrics().lineSpacing();
}

void ElidedText::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const int spacing = fontMetrics().lineSpacing();
    int top = 0;
    for (const QString &line : linesFor(width())) {
        painter.drawText(QRect(0, top, width(), spacing), Qt::AlignLeft | Qt::AlignVCenter, line);
        top += spacing;
    }
}

} // namespace quorvane::app
