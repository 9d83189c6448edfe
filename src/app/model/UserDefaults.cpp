#include "UserDefaults.h"

#include <QSettings>

namespace quorvane::app {

namespace {
const QString organisation = QStringLiteral("Quorvane");
const QString application = QStringLiteral("Quorvane");
} // namespace

QString UserDefaults::text(const QString &key)
{
    const QSettings settings(organisation, application);
    return settings.value(key, QString()).toString();
}

bool UserDefaults::flag(const QString &key)
{
    const QSettings settings(organisation, application);
    return settings.value(key, false).toBool();
}

bool UserDefaults::writeText(const QString &key, const QString &value)
{
    if (text(key) == value)
        return false;
    QSettings settings(organisation, application);
    settings.setValue(key, value);
    return true;
}

bool UserDefaults::writeFlag(const QString &key, bool value)
{
    if (flag(key) == value)
        return false;
    QSettings settings(organisation, application);
    settings.setValue(key, value);
    return true;
}

QVariant UserDefaults::value(const QString &key)
{
    const QSettings settings(organisation, application);
    return settings.value(key);
}

void UserDefaults::setValue(const QString &key, const QVariant &value)
{
    QSettings settings(organisation, application);
    settings.setValue(key, value);
}

void UserDefaults::remove(const QString &key)
{
    QSettings settings(organisation, application);
    settings.remove(key);
}

} // namespace quorvane::app
