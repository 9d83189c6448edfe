#include "SavedProfile.h"

#include "JsonDecoder.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace quorvane {

namespace {

// Only the canonical hyphenated form: QUuid alone would also take braces or a bare run of hex digits.
QUuid parseId(const QString &text)
{
    static const QRegularExpression canonical(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    if (!canonical.match(text).hasMatch())
        throw DecodingError(QStringLiteral("The key “id” must be a UUID."));
    return QUuid::fromString(text);
}

} // namespace

QString SavedProfile::bitrateText(double megabits)
{
    QString text = QString::number(megabits, 'g', QLocale::FloatingPointShortest);
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')) && std::isfinite(megabits))
        text += QStringLiteral(".0");
    return text;
}

QJsonObject SavedProfile::toJson() const
{
    return {{QStringLiteral("id"), id.toString(QUuid::WithoutBraces).toUpper()},
            {QStringLiteral("name"), name},
            {QStringLiteral("mode"), mode},
            {QStringLiteral("maxSize"), qint64(maxSize)},
            {QStringLiteral("maxFps"), qint64(maxFps)},
            {QStringLiteral("codec"), codec},
            {QStringLiteral("bitrate"), bitrate},
            {QStringLiteral("audio"), audio}};
}

SavedProfile SavedProfile::fromJson(const JsonDecoder &json)
{
    return SavedProfile{
        .id = parseId(json.string(QStringLiteral("id"))),
        .name = json.string(QStringLiteral("name")),
        .mode = json.string(QStringLiteral("mode")),
        .maxSize = json.uint32(QStringLiteral("maxSize")),
        .maxFps = json.uint32(QStringLiteral("maxFps")),
        .codec = json.string(QStringLiteral("codec")),
        .bitrate = json.string(QStringLiteral("bitrate")),
        .audio = json.boolean(QStringLiteral("audio")),
    };
}

} // namespace quorvane
