#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace quorvane::TextParsing {

// Decimal digits with an optional leading "+", within 32 bits; blanks and other signs are refused.
std::optional<quint32> parseUInt32(QStringView text);

// Trims ASCII spaces and tabs only, as adb's and the phone's column output is padded.
QString trimSpacesAndTabs(const QString &text);

// Trims the horizontal white space class (space separators and tab), never line breaks.
QString trimHorizontalWhitespace(const QString &text);

} // namespace quorvane::TextParsing
