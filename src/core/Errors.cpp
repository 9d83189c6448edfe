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

SessionError::SessionError(Kind kind, QString message)
    : Error(std::move(message))
    , m_kind(kind)
{
}

SessionError SessionError::noActiveSession()
{
    return {Kind::NoActiveSession, QStringLiteral("No active scrcpy session is running.")};
}

SessionError SessionError::otherDevice()
{
    return {Kind::OtherDevice, QStringLiteral("The active scrcpy window belongs to another device or mode.")};
}

SessionError SessionError::windowClosed()
{
    return {Kind::WindowClosed, QStringLiteral("The active scrcpy window has already closed.")};
}

SessionError SessionError::unsupportedSetting()
{
    return {Kind::UnsupportedSetting,
            QStringLiteral("This setting requires restarting the current scrcpy session.")};
}

SessionError SessionError::launchCancelled()
{
    return {Kind::Cancelled,
            QStringLiteral("Launch cancelled: the session was stopped while it was starting.")};
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
