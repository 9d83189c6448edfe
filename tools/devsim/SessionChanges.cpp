#include "SessionChanges.h"

#include "World.h"

#include <QJsonArray>

namespace devsim {

namespace {

// Runs edit on one phone of the world under the lock.
void editPhone(const QString &worldPath, const QString &phoneId,
               const std::function<void(QJsonObject &)> &edit)
{
    World::update(worldPath, [&](QJsonObject &world) {
        QJsonObject phones = world.value(QStringLiteral("phones")).toObject();
        if (!phones.contains(phoneId))
            return;
        QJsonObject phone = phones.value(phoneId).toObject();
        edit(phone);
        phones.insert(phoneId, phone);
        world.insert(QStringLiteral("phones"), phones);
    });
}

QString setting(const QJsonObject &phone, const QString &space, const QString &key)
{
    return phone.value(QStringLiteral("settings")).toObject().value(space).toObject().value(key).toString();
}

void putSetting(QJsonObject &phone, const QString &space, const QString &key, const QString &value)
{
    QJsonObject settings = phone.value(QStringLiteral("settings")).toObject();
    QJsonObject table = settings.value(space).toObject();
    table.insert(key, value);
    settings.insert(space, table);
    phone.insert(QStringLiteral("settings"), settings);
}

int addVirtualDisplay(QJsonObject &phone, const QString &size)
{
    QJsonArray displays = phone.value(QStringLiteral("displays")).toArray();
    if (displays.isEmpty())
        displays.append(QJsonObject{{QStringLiteral("id"), 0}});
    int id = 0;
    for (const QJsonValue &display : displays)
        id = std::max(id, display.toObject().value(QStringLiteral("id")).toInt() + 1);
    const QString dimensions = size.section(QLatin1Char('/'), 0, 0);
    displays.append(
        QJsonObject{{QStringLiteral("id"), id},
                    {QStringLiteral("name"), QStringLiteral("scrcpy")},
                    {QStringLiteral("type"), QStringLiteral("virtual")},
                    {QStringLiteral("uniqueId"), QStringLiteral("virtual:com.android.shell,2000,scrcpy,0")},
                    {QStringLiteral("captureId"), QString::number(id)},
                    {QStringLiteral("width"), dimensions.section(QLatin1Char('x'), 0, 0).toInt()},
                    {QStringLiteral("height"), dimensions.section(QLatin1Char('x'), 1, 1).toInt()},
                    {QStringLiteral("density"),
                     size.contains(QLatin1Char('/')) ? size.section(QLatin1Char('/'), 1, 1).toInt() : 160}});
    phone.insert(QStringLiteral("displays"), displays);
    return id;
}

} // namespace

// show_touches goes back to "0" unless it was already on; the stay-on value is put back only when it
// was a number other than 7 (scrcpy's own rules); --no-cleanup leaves both as the session set them.
QJsonObject SessionChanges::apply(const QString &worldPath, const QString &phoneId, const Request &request)
{
    QJsonObject undoSettings;
    std::optional<int> display;
    editPhone(worldPath, phoneId, [&](QJsonObject &phone) {
        if (request.showTouches) {
            if (request.cleanup && setting(phone, QStringLiteral("system"), QStringLiteral("show_touches")) !=
                                       QLatin1String("1"))
                undoSettings.insert(QStringLiteral("system"),
                                    QJsonObject{{QStringLiteral("show_touches"), QStringLiteral("0")}});
            putSetting(phone, QStringLiteral("system"), QStringLiteral("show_touches"), QStringLiteral("1"));
        }
        if (request.stayAwake) {
            bool isNumber = false;
            const QString before =
                setting(phone, QStringLiteral("global"), QStringLiteral("stay_on_while_plugged_in"));
            if (request.cleanup && before.toInt(&isNumber) != 7 && isNumber)
                undoSettings.insert(QStringLiteral("global"),
                                    QJsonObject{{QStringLiteral("stay_on_while_plugged_in"), before}});
            putSetting(phone, QStringLiteral("global"), QStringLiteral("stay_on_while_plugged_in"),
                       QStringLiteral("7"));
        }
        if (request.newDisplay)
            display = addVirtualDisplay(phone, *request.newDisplay);
    });
    if (undoSettings.isEmpty() && !display)
        return {};
    QJsonObject plan{{QStringLiteral("phone"), phoneId}, {QStringLiteral("settings"), undoSettings}};
    if (display)
        plan.insert(QStringLiteral("removeDisplay"), *display);
    return plan;
}

void SessionChanges::restore(const QString &worldPath, const QJsonObject &plan)
{
    if (plan.isEmpty())
        return;
    editPhone(worldPath, plan.value(QStringLiteral("phone")).toString(), [&plan](QJsonObject &phone) {
        const QJsonObject undo = plan.value(QStringLiteral("settings")).toObject();
        for (auto space = undo.begin(); space != undo.end(); ++space) {
            const QJsonObject values = space.value().toObject();
            for (auto it = values.begin(); it != values.end(); ++it)
                putSetting(phone, space.key(), it.key(), it.value().toString());
        }
        if (const auto id = virtualDisplayId(plan)) {
            QJsonArray kept;
            for (const QJsonValue &display : phone.value(QStringLiteral("displays")).toArray()) {
                if (display.toObject().value(QStringLiteral("id")).toInt() != *id)
                    kept.append(display);
            }
            phone.insert(QStringLiteral("displays"), kept);
        }
    });
}

std::optional<int> SessionChanges::virtualDisplayId(const QJsonObject &plan)
{
    if (!plan.contains(QStringLiteral("removeDisplay")))
        return std::nullopt;
    return plan.value(QStringLiteral("removeDisplay")).toInt();
}

} // namespace devsim
