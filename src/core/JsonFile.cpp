#include "JsonFile.h"

#include "Errors.h"

#include <QFile>
#include <QSaveFile>

namespace quorvane::JsonFile {

std::optional<QJsonDocument> read(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        throw FileSystemError(file.errorString());
    QJsonParseError parseError;
    QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw FileSystemError(parseError.errorString());
    return document;
}

void write(const QString &path, const QJsonDocument &document)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileSystemError(file.errorString());
    file.write(document.toJson(QJsonDocument::Indented));
    if (!file.commit())
        throw FileSystemError(file.errorString());
}

} // namespace quorvane::JsonFile
