#pragma once

#include <QtGlobal>

#include <sys/resource.h>

namespace quorvane::test {

// Lowers this process's file-size limit for its lifetime and keeps the SIGXFSZ that crossing it raises
// from ending the test, so a write past it comes back short, as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    Q_DISABLE_COPY_MOVE(FileSizeLimit)

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};

} // namespace quorvane::test
