#include "DecimalText.h"

#include <limits>

namespace quorvane::DecimalText {

std::optional<quint32> toUInt32(QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + static_cast<quint64>(c.unicode() - u'0');
        if (value > std::numeric_limits<quint32>::max())
            return std::nullopt;
    }
    return static_cast<quint32>(value);
}

} // namespace quorvane::DecimalText
