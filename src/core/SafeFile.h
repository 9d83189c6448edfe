#pragma once

#include <QByteArray>
#include <QString>

namespace quorvane::SafeFile {

// Replaces the file atomically with exactly these bytes, or leaves it as it was. FileSystemError with the
// operating system's own reason (a full disk, a file-size limit, a folder that cannot be written).
void replaceWhole(const QString &path, const QByteArray &bytes);

} // namespace quorvane::SafeFile
