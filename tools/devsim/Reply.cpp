#include "Reply.h"

#include <unistd.h>

namespace devsim {

namespace {

void writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n <= 0)
            return;
        done += n;
    }
}

} // namespace

void Reply::print() const
{
    writeAll(STDERR_FILENO, err);
    writeAll(STDOUT_FILENO, out);
}

} // namespace devsim
