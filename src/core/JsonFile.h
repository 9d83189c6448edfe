#pragma once

#include <QJsonDocument>
#include <QString>

#include <optional>

namespace quorvane::JsonFile {

// Reads the whole file. Absent when the file does not exist; FileSystemError when it exists but cannot
// be read or is not JSON, so each store can decide how forgiving it is.
std::optional<QJsonDocument> read(const QString &path);

// Replaces the file atomically with the pretty-printed document (QJsonObject keeps keys sorted).
// Throws FileSystemError with the operating system's text on failure.
void write(const QString &path, const QJsonDocument &document);

} // namespace quorvane::JsonFile
