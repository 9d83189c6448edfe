#pragma once

#include <QStringView>

#include <optional>

namespace quorvane::DecimalText {

// Plain ASCII decimal digits that fit in 32 bits. Signs, spaces and digits of other scripts are refused:
// every number read from tool output or typed by the user goes through this one rule.
std::optional<quint32> toUInt32(QStringView text);

} // namespace quorvane::DecimalText
