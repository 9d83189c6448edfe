#include "Errors.h"

namespace quorvane {

Error::Error(QString text)
    : m_text(std::move(text))
    , m_utf8(m_text.toUtf8())
{
}

ScrcpyError::ScrcpyError(Kind kind, QString message)
    : Error(std::move(message))
    , m_kind(kind)
{
}

ProcessError::ProcessError(Kind kind, QString message, int exitCode, QString text)
    : Error(std::move(text))
    , m_kind(kind)
    , m_message(std::move(message))
    , m_exitCode(exitCode)
{
}

ProcessError ProcessError::spawnFailed(const QString &message)
{
    return ProcessError(Kind::SpawnFailed, message, 0, QStringLiteral("Process spawn failed: ") + message);
}

ProcessError ProcessError::launchFailed(const QString &message, int exitCode)
{
    return ProcessError(Kind::LaunchFailed, message, exitCode,
                        message + QStringLiteral(" (exit code %1)").arg(exitCode));
}

} // namespace quorvane
