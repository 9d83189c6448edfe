#pragma once

#include <QMap>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <QCoroTask>

namespace quorvane {

using Environment = QMap<QString, QString>;

struct ProcessResult
{
    QString stdout_;
    QString stderr_;
    int statusCode = 0;
    bool exitedCleanly = false;

    bool operator==(const ProcessResult &) const = default;
};

// The same, with both streams as the raw bytes the child wrote (a screenshot's PNG, say).
struct RawProcessResult
{
    QByteArray stdout_;
    QByteArray stderr_;
    int statusCode = 0;
    bool exitedCleanly = false;
};

// Runs short-lived commands to completion and collects what they print. No time limit: a child that
// never exits keeps its caller waiting, by design.
namespace ProcessRunner {

// An empty environment means the child inherits ours unchanged; otherwise the entries are added to it.
QCoro::Task<ProcessResult> runCollect(QString executable, QStringList arguments,
                                      Environment environment = {});

QCoro::Task<RawProcessResult> runCollectRaw(QString executable, QStringList arguments,
                                            Environment environment = {});

// The trimmed standard output (or standard error when that is all there is) of a clean exit;
// ProcessError::launchFailed with the command's own words otherwise.
QCoro::Task<QString> output(QString executable, QStringList arguments, Environment environment = {});

// What output() makes of a finished run; separate so the rule can be checked without a child.
QString outputOf(const ProcessResult &result);

// Our own environment with the given entries added or replaced.
QProcessEnvironment mergedEnvironment(const Environment &environment);

// True when path names an existing file the user may execute. A bare name never counts: nothing
// here searches PATH.
bool isUsableExecutable(const QString &path);

} // namespace ProcessRunner
} // namespace quorvane
