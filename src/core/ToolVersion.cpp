#include "ToolVersion.h"

#include <QRegularExpression>
#include <QStringList>

namespace quorvane {

std::optional<ToolVersion> ToolVersion::parse(const QString &text)
{
    static const QRegularExpression numbers(
        QStringLiteral("^(\\d{1,9})(?:\\.(\\d{1,9}))?(?:\\.(\\d{1,9}))?"));
    const QRegularExpressionMatch match = numbers.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return ToolVersion{match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt(),
                       match.captured(0)};
}

std::optional<ToolVersion> ToolVersion::fromAdbVersionOutput(const QString &output)
{
    const QString marker = QStringLiteral("Version ");
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(marker))
            return parse(trimmed.mid(marker.size()));
    }
    return std::nullopt;
}

std::optional<ToolVersion> ToolVersion::fromScrcpyVersionLine(const QString &line)
{
    const QString marker = QStringLiteral("scrcpy ");
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(marker))
        return std::nullopt;
    return parse(trimmed.mid(marker.size()));
}

ToolVersion ToolVersion::adbPairingMinimum()
{
    return {30, 0, 0, QStringLiteral("30.0.0")};
}

ToolVersion ToolVersion::scrcpyMinimum()
{
    return {4, 0, 0, QStringLiteral("4.0")};
}

std::strong_ordering ToolVersion::operator<=>(const ToolVersion &other) const
{
    if (const auto order = major <=> other.major; order != 0)
        return order;
    if (const auto order = minor <=> other.minor; order != 0)
        return order;
    return patch <=> other.patch;
}

} // namespace quorvane
