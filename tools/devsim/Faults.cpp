#include "Faults.h"

#include "World.h"

#include <QJsonArray>

namespace devsim {

namespace {

bool matches(const QJsonObject &fault, const QString &tool, const QString &serial, const QStringList &words)
{
    if (fault.value(QStringLiteral("tool")).toString(QStringLiteral("adb")) != tool)
        return false;
    if (fault.contains(QStringLiteral("serial")) &&
        fault.value(QStringLiteral("serial")).toString() != serial)
        return false;
    if (fault.value(QStringLiteral("times")).toInt(1) <= 0)
        return false;
    const QJsonArray prefix = fault.value(QStringLiteral("args")).toArray();
    if (prefix.size() > words.size())
        return false;
    for (qsizetype i = 0; i < prefix.size(); ++i) {
        if (prefix[i].toString() != words[i])
            return false;
    }
    return true;
}

Fault faultFrom(const QJsonObject &object)
{
    Fault fault;
    fault.delayMs = object.value(QStringLiteral("delayMs")).toInt();
    const bool answers = object.contains(QStringLiteral("exitCode")) ||
                         object.contains(QStringLiteral("stdout")) ||
                         object.contains(QStringLiteral("stderr"));
    if (answers) {
        fault.reply = Reply{object.value(QStringLiteral("stdout")).toString().toUtf8(),
                            object.value(QStringLiteral("stderr")).toString().toUtf8(),
                            object.value(QStringLiteral("exitCode")).toInt()};
    }
    return fault;
}

} // namespace

std::optional<Fault> Faults::take(const QString &worldPath, const QString &tool, const QString &serial,
                                  const QStringList &words)
{
    const QJsonArray faults = World::read(worldPath).value(QStringLiteral("faults")).toArray();
    const bool any = std::any_of(faults.begin(), faults.end(), [&](const QJsonValue &value) {
        return matches(value.toObject(), tool, serial, words);
    });
    if (!any)
        return std::nullopt;

    std::optional<Fault> found;
    World::update(worldPath, [&](QJsonObject &world) {
        QJsonArray list = world.value(QStringLiteral("faults")).toArray();
        for (qsizetype i = 0; i < list.size(); ++i) {
            QJsonObject fault = list[i].toObject();
            if (!matches(fault, tool, serial, words))
                continue;
            found = faultFrom(fault);
            if (fault.contains(QStringLiteral("times"))) {
                fault.insert(QStringLiteral("times"), fault.value(QStringLiteral("times")).toInt() - 1);
                list[i] = fault;
                world.insert(QStringLiteral("faults"), list);
            }
            return;
        }
    });
    return found;
}

} // namespace devsim
