#include "Async.h"

#include <QProcess>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace quorvane {

// The kernel signals the child when the thread that started it ends; every child is started from the
// main thread, whose end is the end of the process. SIGTERM rather than SIGKILL: scrcpy then still
// finishes a recording's file. The tie is not inherited by the child's own children, so the adb server
// that an adb call may start keeps running, as it should. Only async-signal-safe calls run in the child.
void tieToParent(QProcess *child)
{
    const pid_t parent = ::getpid();
    child->setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        // A parent that died between the fork and the line above sent nothing: the child is an orphan
        // already, and nobody would ever end it.
        if (::getppid() != parent)
            ::_exit(127);
    });
}

} // namespace quorvane
