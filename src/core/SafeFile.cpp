#include "SafeFile.h"

#include "Errors.h"

#include <QSaveFile>

#include <cerrno>

namespace quorvane::SafeFile {

void replaceWhole(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileSystemError(file.errorString());
    // QSaveFile::commit does not notice a short or failed write (a full disk, a size limit) and would move
    // a truncated file into place: check the write and the flush first. Qt reports such a failure as
    // "Unknown error", so the system's own reason is taken while it is still there.
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = errno != 0 ? qt_error_string(errno) : file.errorString();
        file.cancelWriting();
        throw FileSystemError(reason);
    }
    if (!file.commit())
        throw FileSystemError(file.errorString());
}

} // namespace quorvane::SafeFile
