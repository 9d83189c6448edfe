#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

namespace quorvane {

// One line of the Connection Doctor's answer; its title is its identity.
struct DoctorFinding
{
    enum class Level { Ok, Warning, Error, Info };

    Level level = Level::Info;
    QString title;
    QString detail;
    std::optional<QString> action;

    const QString &id() const { return title; }
    bool operator==(const DoctorFinding &) const = default;

    static QString toString(Level level);
    // Absent for any text other than the four raw values.
    static std::optional<Level> levelFromString(const QString &text);
};

QJsonObject toJson(const DoctorFinding &finding);

} // namespace quorvane
