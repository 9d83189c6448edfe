#pragma once

#include <QCoroTask>

#include <chrono>

class QObject;
class QProcess;

namespace quorvane {

// Resumes once the process has finished or failed to start (QCoro's waitForStarted misses the latter,
// and its waitForFinished adds a 30 s limit). Never times out.
QCoro::Task<void> processEnded(QProcess *process);

// Resumes once a just-started process is running (true) or has failed to start (false).
QCoro::Task<bool> processStarted(QProcess *process);

// A sleep on a precise timer: QCoro::sleepFor may fire a little early, which matters for the watch checks.
// With a context, the sleeper is never resumed once the context is destroyed.
QCoro::Task<void> sleepPrecisely(std::chrono::milliseconds duration, QObject *context = nullptr);

// Makes the system end the child (politely, with SIGTERM) when this process dies, however it dies, so
// no scrcpy or adb outlives us. Call before start(). Where the system offers no such tie it does nothing.
void tieToParent(QProcess *child);

// The owner of every short-lived child process: destroying it at quit ends any child still running,
// so a dropped task never leaves an orphan behind.
QObject *childProcessOwner();

} // namespace quorvane
