#include "TextParsing.h"

#include <QList>

namespace quorvane::TextParsing {

namespace {

bool isHorizontalWhitespace(char32_t c)
{
    return c == U'\t' || QChar::category(c) == QChar::Separator_Space;
}

} // namespace

std::optional<quint32> parseUInt32(QStringView text)
{
    if (text.startsWith(QLatin1Char('+')))
        text = text.mid(1);
    if (text.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + quint64(c.unicode() - u'0');
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    return quint32(value);
}

QString trimSpacesAndTabs(const QString &text)
{
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text.at(begin)))
        ++begin;
    while (end > begin && blank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString trimHorizontalWhitespace(const QString &text)
{
    const QList<uint> codePoints = text.toUcs4();
    qsizetype begin = 0;
    qsizetype end = codePoints.size();
    while (begin < end && isHorizontalWhitespace(char32_t(codePoints[begin])))
        ++begin;
    while (end > begin && isHorizontalWhitespace(char32_t(codePoints[end - 1])))
        --end;
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(codePoints.constData()) + begin, end - begin);
}

} // namespace quorvane::TextParsing
