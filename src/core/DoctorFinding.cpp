#include "DoctorFinding.h"

#include "Models.h"

#include <array>
#include <utility>

namespace quorvane {

namespace {

constexpr std::array<std::pair<DoctorFinding::Level, char16_t const *>, 4> levelNames{{
    {DoctorFinding::Level::Ok, u"ok"},
    {DoctorFinding::Level::Warning, u"warning"},
    {DoctorFinding::Level::Error, u"error"},
    {DoctorFinding::Level::Info, u"info"},
}};

} // namespace

QString DoctorFinding::toString(Level level)
{
    for (const auto &[value, name] : levelNames) {
        if (value == level)
            return QString::fromUtf16(name);
    }
    return {};
}

std::optional<DoctorFinding::Level> DoctorFinding::levelFromString(const QString &text)
{
    for (const auto &[value, name] : levelNames) {
        if (text == QString::fromUtf16(name))
            return value;
    }
    return std::nullopt;
}

QJsonObject toJson(const DoctorFinding &finding)
{
    QJsonObject object{{QStringLiteral("level"), DoctorFinding::toString(finding.level)},
                       {QStringLiteral("title"), finding.title},
                       {QStringLiteral("detail"), finding.detail}};
    insertOptional(object, QStringLiteral("action"), finding.action);
    return object;
}

} // namespace quorvane
