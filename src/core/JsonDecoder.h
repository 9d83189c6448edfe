#pragma once

#include "Errors.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace quorvane {

// A JSON record that does not have the shape its type requires; the text names the key at fault.
class DecodingError final : public Error
{
public:
    using Error::Error;
};

// Reads the members of one JSON object strictly: a required member must be present with the right type (no
// default is ever filled in), an optional one may be missing or null, and unknown members are ignored.
// Failures are DecodingError.
class JsonDecoder
{
public:
    // path names the object in messages ("profiles.ABC"); empty for a document's top level.
    explicit JsonDecoder(QJsonObject object, QString path = {});
    static JsonDecoder of(const QJsonDocument &document);

    QString string(const QString &key) const;
    bool boolean(const QString &key) const;
    quint32 uint32(const QString &key) const;
    QJsonObject object(const QString &key) const;
    QJsonArray array(const QString &key) const;
    std::optional<QString> optionalString(const QString &key) const;
    std::optional<quint32> optionalUInt32(const QString &key) const;
    std::optional<double> optionalNumber(const QString &key) const;

    // The decoder of a nested object: the member under key, or an element of an array read from it.
    JsonDecoder nested(const QString &key) const;
    JsonDecoder element(const QJsonValue &value, const QString &name) const;

private:
    QJsonValue required(const QString &key) const;
    std::optional<QJsonValue> present(const QString &key) const;
    [[noreturn]] void mistyped(const QString &key, const QString &expected) const;
    QString qualified(const QString &key) const;

    QJsonObject m_object;
    QString m_path;
};

} // namespace quorvane
