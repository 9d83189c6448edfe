#pragma once

#include <QString>

#include <exception>

namespace quorvane {

// Every failure the user can see derives from Error; what() and text() are the exact sentence shown.
class Error : public std::exception
{
public:
    explicit Error(QString text);
    const char *what() const noexcept override { return m_utf8.constData(); }
    const QString &text() const noexcept { return m_text; }

private:
    QString m_text;
    QByteArray m_utf8;
};

class ScrcpyError final : public Error
{
public:
    enum class Kind { RuntimeMissing, DeviceState, InvalidInput, Unchecked };

    ScrcpyError(Kind kind, QString message);
    Kind kind() const noexcept { return m_kind; }

    static ScrcpyError runtimeMissing(QString message) { return {Kind::RuntimeMissing, std::move(message)}; }
    static ScrcpyError deviceState(QString message) { return {Kind::DeviceState, std::move(message)}; }
    static ScrcpyError invalidInput(QString message) { return {Kind::InvalidInput, std::move(message)}; }
    static ScrcpyError unchecked(QString message) { return {Kind::Unchecked, std::move(message)}; }

private:
    Kind m_kind;
};

// Failures of running a short-lived child process.
class ProcessError final : public Error
{
public:
    enum class Kind { SpawnFailed, LaunchFailed };

    static ProcessError spawnFailed(const QString &message);
    static ProcessError launchFailed(const QString &message, int exitCode);

    Kind kind() const noexcept { return m_kind; }
    const QString &message() const noexcept { return m_message; }
    int exitCode() const noexcept { return m_exitCode; }

private:
    ProcessError(Kind kind, QString message, int exitCode, QString text);

    Kind m_kind;
    QString m_message;
    int m_exitCode;
};

// Failures of starting or adjusting a mirroring session.
class SessionError final : public Error
{
public:
    enum class Kind { NotRunning, NoActiveSession, OtherDevice, WindowClosed, UnsupportedSetting, Cancelled };

    Kind kind() const noexcept { return m_kind; }

    static SessionError notRunning(QString message) { return {Kind::NotRunning, std::move(message)}; }
    static SessionError noActiveSession();
    static SessionError otherDevice();
    static SessionError windowClosed();
    static SessionError unsupportedSetting();
    // A stop arrived while the launch was still starting the session.
    static SessionError launchCancelled();

private:
    SessionError(Kind kind, QString message);

    Kind m_kind;
};

// The operating system's own failures (starting a process, creating a folder), carried with its text.
class FileSystemError final : public Error
{
public:
    using Error::Error;
};

} // namespace quorvane
