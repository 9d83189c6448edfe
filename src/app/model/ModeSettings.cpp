#include "ModeSettings.h"

#include <QMetaProperty>

#include <cmath>
#include <limits>

namespace quorvane::app {

ModeSettings::AutomaticFill::AutomaticFill(ModeSettings *settings)
    : m_settings(settings)
{
    ++m_settings->m_automaticFills;
}

ModeSettings::AutomaticFill::~AutomaticFill()
{
    if (--m_settings->m_automaticFills == 0)
        emit m_settings->automaticFillEnded();
}

quint32 ModeSettings::roundedBitRate(double megabits)
{
    if (std::isnan(megabits) || megabits <= 0)
        return 0;
    const double rounded = std::round(megabits);
    if (rounded >= static_cast<double>(std::numeric_limits<quint32>::max()))
        return std::numeric_limits<quint32>::max();
    return static_cast<quint32>(rounded);
}

QByteArray ModeSettings::propertyNotifiedBy(const QMetaMethod &signal) const
{
    const QMetaObject *meta = metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        if (meta->property(i).notifySignal() == signal)
            return meta->property(i).name();
    }
    return {};
}

} // namespace quorvane::app
