#include "CleanupWatcher.h"

#include "SessionChanges.h"
#include "World.h"

#include <QJsonDocument>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

extern char **environ;

namespace devsim {

CleanupWatcher::~CleanupWatcher()
{
    if (m_pipe >= 0)
        ::close(m_pipe);
}

void CleanupWatcher::start(const QJsonObject &plan)
{
    int ends[2];
    if (plan.isEmpty() || ::pipe2(ends, O_CLOEXEC) != 0)
        return;
    const QByteArray planJson = QJsonDocument(plan).toJson(QJsonDocument::Compact);
    char program[] = "/proc/self/exe";
    char name[] = "devsim";
    char mode[] = "cleanup-watch";
    char *argv[] = {name, mode, const_cast<char *>(planJson.constData()), nullptr};
    // The watcher must not hold the session's output pipes open, or readers would wait for it too.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[0]);
    if (spawned != 0) {
        ::close(ends[1]);
        return;
    }
    m_pipe = ends[1];
}

void CleanupWatcher::dismiss()
{
    if (m_pipe < 0)
        return;
    const char done = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_pipe, &done, 1);
    ::close(m_pipe);
    m_pipe = -1;
}

int CleanupWatcher::watch(const QString &planJson)
{
    char byte = 0;
    ssize_t n = 0;
    do {
        n = ::read(STDIN_FILENO, &byte, 1);
    } while (n < 0 && errno == EINTR);
    if (n <= 0)
        SessionChanges::restore(World::pathFromEnvironment(),
                                QJsonDocument::fromJson(planJson.toUtf8()).object());
    return 0;
}

} // namespace devsim
