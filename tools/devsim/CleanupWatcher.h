#pragma once

#include <QJsonObject>
#include <QString>

namespace devsim {

// scrcpy's server leaves a clean-up process on the phone that undoes the session's changes even when
// the client on the computer is killed. The watcher plays that part: a separate devsim process that
// waits on a pipe; if the session dies without saying goodbye (SIGKILL), the pipe closes and the
// watcher carries out the undo plan.
class CleanupWatcher
{
public:
    CleanupWatcher() = default;
    ~CleanupWatcher();
    CleanupWatcher(const CleanupWatcher &) = delete;
    CleanupWatcher &operator=(const CleanupWatcher &) = delete;

    void start(const QJsonObject &plan);
    // The session undid its changes itself: the watcher leaves without doing anything.
    void dismiss();

    // The watcher's side: "devsim cleanup-watch PLAN" waits on standard input.
    static int watch(const QString &planJson);

private:
    int m_pipe = -1;
};

} // namespace devsim
