#include "ModeSettings.h"

#include <QMetaProperty>

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
