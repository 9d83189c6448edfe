#include "RememberedChoices.h"

#include "ModeSettings.h"
#include "UserDefaults.h"

#include <QMetaProperty>
#include <QUrl>

namespace quorvane::app {

namespace {

// The optional texts of the settings never hold an empty text, so the store keeps absent as "".
bool isOptionalText(const QMetaProperty &property)
{
    return property.metaType() == QMetaType::fromType<std::optional<QString>>();
}

QVariant storable(const QMetaProperty &property, const QObject *object)
{
    const QVariant value = property.read(object);
    if (isOptionalText(property))
        return value.value<std::optional<QString>>().value_or(QString());
    return value;
}

// A value the store holds in a form the property cannot take (edited by hand, or from another version)
// is left out rather than guessed at.
void writeStored(const QMetaProperty &property, QObject *object, QVariant stored)
{
    if (!stored.isValid())
        return;
    if (isOptionalText(property)) {
        const QString text = stored.toString();
        property.write(object, QVariant::fromValue(text.isEmpty() ? std::nullopt : std::optional(text)));
        return;
    }
    if (stored.convert(property.metaType()))
        property.write(object, stored);
}

QList<QMetaProperty> fields(const QObject *object)
{
    QList<QMetaProperty> result;
    const QMetaObject *meta = object->metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        result.append(meta->property(i));
    return result;
}

} // namespace

void RememberedChoices::track(ModeSettings *settings, const QString &mode)
{
    Tracked tracked{settings, mode, {}};
    for (const QMetaProperty &property : fields(settings))
        tracked.defaults.insert(QString::fromLatin1(property.name()), property.read(settings));
    m_tracked.append(tracked);
    connect(
        settings, &ModeSettings::fieldAssigned, this,
        [this, tracked](const QByteArray &property, bool byUser) { assigned(tracked, property, byUser); });
    connect(settings, &ModeSettings::automaticFillEnded, this, [this, tracked] {
        if (!m_restoring)
            restore(tracked, false);
    });
}

void RememberedChoices::showPhone(std::optional<QString> phone)
{
    if (phone == m_phone)
        return;
    m_phone = std::move(phone);
    if (!m_phone)
        return;
    const bool otherPhoneShown = m_shownPhone && *m_shownPhone != *m_phone;
    for (const Tracked &tracked : std::as_const(m_tracked))
        restore(tracked, otherPhoneShown);
    m_shownPhone = m_phone;
}

void RememberedChoices::renamePhone(const QString &from, const QString &to)
{
    if (from == to)
        return;
    for (const Tracked &tracked : std::as_const(m_tracked)) {
        for (const QMetaProperty &property : fields(tracked.settings)) {
            const QString old = key(from, tracked, property.name());
            const QVariant value = UserDefaults::value(old);
            if (!value.isValid())
                continue;
            const QString moved = key(to, tracked, property.name());
            if (!UserDefaults::value(moved).isValid())
                UserDefaults::setValue(moved, value);
            UserDefaults::remove(old);
        }
    }
    if (m_shownPhone == from)
        m_shownPhone = to;
    if (m_phone != from)
        return;
    m_phone = to;
    for (const Tracked &tracked : std::as_const(m_tracked))
        restore(tracked, false);
}

void RememberedChoices::forgetWhile(ModeSettings *settings, const std::function<void()> &fill)
{
    const ModeSettings::AutomaticFill automatic(settings);
    m_forgetting = true;
    fill();
    m_forgetting = false;
}

void RememberedChoices::assigned(const Tracked &tracked, const QByteArray &property, bool byUser)
{
    if (m_restoring || !m_phone || property.isEmpty())
        return;
    if (byUser) {
        const QMetaObject *meta = tracked.settings->metaObject();
        const QMetaProperty field = meta->property(meta->indexOfProperty(property.constData()));
        UserDefaults::setValue(key(tracked, property), storable(field, tracked.settings));
    } else if (m_forgetting) {
        UserDefaults::remove(key(tracked, property));
    }
}

void RememberedChoices::restore(const Tracked &tracked, bool defaultsFirst)
{
    if (!m_phone)
        return;
    m_restoring = true;
    for (const QMetaProperty &property : fields(tracked.settings)) {
        if (defaultsFirst)
            property.write(tracked.settings, tracked.defaults.value(QString::fromLatin1(property.name())));
        writeStored(property, tracked.settings, UserDefaults::value(key(tracked, property.name())));
    }
    m_restoring = false;
}

// A serial is whatever adb reports, so it is escaped before it becomes part of a key.
QString RememberedChoices::key(const Tracked &tracked, const QByteArray &property) const
{
    return key(m_phone.value_or(QString()), tracked, property);
}

QString RememberedChoices::key(const QString &phone, const Tracked &tracked, const QByteArray &property)
{
    return QStringLiteral("choices/") + QString::fromLatin1(QUrl::toPercentEncoding(phone)) +
           QLatin1Char('/') + tracked.mode + QLatin1Char('/') + QString::fromLatin1(property);
}

} // namespace quorvane::app
