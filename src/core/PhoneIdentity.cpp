#include "PhoneIdentity.h"

namespace quorvane {

std::optional<QString> PhoneIdentity::fromServiceName(const QString &name)
{
    const QString instance = name.section(QLatin1Char('.'), 0, 0);
    if (!instance.startsWith(QLatin1String("adb-")))
        return std::nullopt;
    // The tag after the last dash is adb's own; a serial may itself contain dashes.
    const qsizetype lastDash = instance.lastIndexOf(QLatin1Char('-'));
    if (lastDash <= 4)
        return std::nullopt;
    return instance.mid(4, lastDash - 4);
}

} // namespace quorvane
