#include "ProcessRunner.h"

#include "Async.h"
#include "Errors.h"

#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QProcessEnvironment>

namespace quorvane::ProcessRunner {

bool isUsableExecutable(const QString &path)
{
    if (!path.contains(QLatin1Char('/')))
        return false;
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

QProcessEnvironment mergedEnvironment(const Environment &environment)
{
    QProcessEnvironment merged = QProcessEnvironment::systemEnvironment();
    for (auto it = environment.cbegin(); it != environment.cend(); ++it)
        merged.insert(it.key(), it.value());
    return merged;
}

QCoro::Task<RawProcessResult> runCollectRaw(QString executable, QStringList arguments,
                                            Environment environment)
{
    if (!isUsableExecutable(executable))
        throw ProcessError::spawnFailed(QStringLiteral("Executable not found at %1.").arg(executable));

    QPointer<QProcess> process = new QProcess(childProcessOwner());
    process->setProgram(executable);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    tieToParent(process);
    if (!environment.isEmpty())
        process->setProcessEnvironment(mergedEnvironment(environment));
    process->start();
    co_await processEnded(process);

    if (process->error() == QProcess::FailedToStart) {
        const QString reason = process->errorString();
        process->deleteLater();
        throw FileSystemError(reason);
    }
    RawProcessResult result;
    result.stdout_ = process->readAllStandardOutput();
    result.stderr_ = process->readAllStandardError();
    result.statusCode = process->exitCode();
    result.exitedCleanly = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    process->deleteLater();
    co_return result;
}

QCoro::Task<ProcessResult> runCollect(QString executable, QStringList arguments, Environment environment)
{
    const RawProcessResult raw =
        co_await runCollectRaw(std::move(executable), std::move(arguments), std::move(environment));
    co_return ProcessResult{QString::fromUtf8(raw.stdout_), QString::fromUtf8(raw.stderr_), raw.statusCode,
                            raw.exitedCleanly};
}

QString outputOf(const ProcessResult &result)
{
    const QString out = result.stdout_.trimmed();
    const QString err = result.stderr_.trimmed();
    if (result.exitedCleanly)
        return out.isEmpty() ? err : out;
    QString message = !err.isEmpty() ? err : out;
    if (message.isEmpty())
        message = QStringLiteral("Command failed without output.");
    throw ProcessError::launchFailed(message, result.statusCode);
}

QCoro::Task<QString> output(QString executable, QStringList arguments, Environment environment)
{
    const ProcessResult result =
        co_await runCollect(std::move(executable), std::move(arguments), std::move(environment));
    co_return outputOf(result);
}

} // namespace quorvane::ProcessRunner
