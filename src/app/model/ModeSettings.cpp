#include "ModeSettings.h"

#include <cmath>
#include <limits>

namespace quorvane::app {

quint32 ModeSettings::roundedBitRate(double megabits)
{
    if (std::isnan(megabits) || megabits <= 0)
        return 0;
    const double rounded = std::round(megabits);
    if (rounded >= static_cast<double>(std::numeric_limits<quint32>::max()))
        return std::numeric_limits<quint32>::max();
    return static_cast<quint32>(rounded);
}

} // namespace quorvane::app
