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
    const QByteArray bytes = document.toJson(QJsonDocument::Indented);
    // QSaveFile::commit does not notice a short or failed write (a full disk, a size limit) and would move
    // a truncated file into place: check the write and the flush first.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw FileSystemError(reason);
    }
    if (!file.commit())
        throw FileSystemError(file.errorString());
}

} // namespace quorvane::JsonFile
