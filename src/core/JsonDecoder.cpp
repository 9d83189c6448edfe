#include "JsonDecoder.h"

#include <cmath>

namespace quorvane {

namespace {

std::optional<quint32> asUInt32(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number < 0 || number > 4294967295.0 || std::trunc(number) != number)
        return std::nullopt;
    return quint32(number);
}

} // namespace

JsonDecoder::JsonDecoder(QJsonObject object, QString path)
    : m_object(std::move(object))
    , m_path(std::move(path))
{
}

JsonDecoder JsonDecoder::of(const QJsonDocument &document)
{
    if (!document.isObject())
        throw DecodingError(QStringLiteral("The JSON text is not an object."));
    return JsonDecoder(document.object());
}

QString JsonDecoder::qualified(const QString &key) const
{
    return m_path.isEmpty() ? key : m_path + QLatin1Char('.') + key;
}

void JsonDecoder::mistyped(const QString &key, const QString &expected) const
{
    throw DecodingError(QStringLiteral("The key “%1” must be %2.").arg(qualified(key), expected));
}

std::optional<QJsonValue> JsonDecoder::present(const QString &key) const
{
    const QJsonValue value = m_object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    return value;
}

QJsonValue JsonDecoder::required(const QString &key) const
{
    const QJsonValue value = m_object.value(key);
    if (value.isUndefined())
        throw DecodingError(QStringLiteral("The key “%1” is missing.").arg(qualified(key)));
    return value;
}

QString JsonDecoder::string(const QString &key) const
{
    const QJsonValue value = required(key);
    if (!value.isString())
        mistyped(key, QStringLiteral("a string"));
    return value.toString();
}

bool JsonDecoder::boolean(const QString &key) const
{
    const QJsonValue value = required(key);
    if (!value.isBool())
        mistyped(key, QStringLiteral("true or false"));
    return value.toBool();
}

quint32 JsonDecoder::uint32(const QString &key) const
{
    if (auto number = asUInt32(required(key)))
        return *number;
    mistyped(key, QStringLiteral("a whole number from 0 to 4294967295"));
}

QJsonObject JsonDecoder::object(const QString &key) const
{
    const QJsonValue value = required(key);
    if (!value.isObject())
        mistyped(key, QStringLiteral("an object"));
    return value.toObject();
}

QJsonArray JsonDecoder::array(const QString &key) const
{
    const QJsonValue value = required(key);
    if (!value.isArray())
        mistyped(key, QStringLiteral("an array"));
    return value.toArray();
}

std::optional<QString> JsonDecoder::optionalString(const QString &key) const
{
    const auto value = present(key);
    if (value && !value->isString())
        mistyped(key, QStringLiteral("a string or null"));
    return value ? std::optional<QString>(value->toString()) : std::nullopt;
}

std::optional<quint32> JsonDecoder::optionalUInt32(const QString &key) const
{
    const auto value = present(key);
    if (!value)
        return std::nullopt;
    if (auto number = asUInt32(*value))
        return number;
    mistyped(key, QStringLiteral("a whole number from 0 to 4294967295 or null"));
}

std::optional<double> JsonDecoder::optionalNumber(const QString &key) const
{
    const auto value = present(key);
    if (value && !value->isDouble())
        mistyped(key, QStringLiteral("a number or null"));
    return value ? std::optional<double>(value->toDouble()) : std::nullopt;
}

JsonDecoder JsonDecoder::nested(const QString &key) const
{
    return JsonDecoder(object(key), qualified(key));
}

JsonDecoder JsonDecoder::element(const QJsonValue &value, const QString &name) const
{
    if (!value.isObject())
        mistyped(name, QStringLiteral("an object"));
    return JsonDecoder(value.toObject(), qualified(name));
}

} // namespace quorvane
