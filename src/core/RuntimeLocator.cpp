#include "RuntimeLocator.h"

#include "ProcessRunner.h"
#include "TextParsing.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace quorvane {

namespace {

std::optional<QString> &bundledDirectoryOverride()
{
    static std::optional<QString> value;
    return value;
}

std::optional<QStringList> &wellKnownDirectoriesOverride()
{
    static std::optional<QStringList> value;
    return value;
}

bool isUsable(const QString &path)
{
    return ProcessRunner::isUsableExecutable(path);
}

std::optional<QString> firstUsable(const QStringList &directories, const QString &base)
{
    for (const QString &directory : directories) {
        const QString candidate = directory + QLatin1Char('/') + base;
        if (isUsable(candidate))
            return candidate;
    }
    return std::nullopt;
}

QString firstLine(const QString &text)
{
    const qsizetype newline = text.indexOf(QLatin1Char('\n'));
    return newline < 0 ? text : text.left(newline);
}

// What the tool prints about its version, absent when the query fails.
QCoro::Task<std::optional<QString>> versionOutput(QString executable, QString argument)
{
    const QStringList arguments{argument};
    try {
        co_return co_await ProcessRunner::output(executable, arguments);
    } catch (const std::exception &) {
    }
    co_return std::nullopt;
}

// The first line of the tool's version output, absent when the query fails.
QCoro::Task<std::optional<QString>> versionLine(QString executable, QString argument)
{
    const std::optional<QString> text = co_await versionOutput(std::move(executable), std::move(argument));
    co_return text ? std::optional(firstLine(*text)) : std::nullopt;
}

} // namespace

QString toString(RuntimeSource source)
{
    switch (source) {
    case RuntimeSource::Override:
        return QStringLiteral("override");
    case RuntimeSource::Bundled:
        return QStringLiteral("bundled");
    case RuntimeSource::External:
        return QStringLiteral("external");
    case RuntimeSource::Path:
        return QStringLiteral("path");
    }
    return {};
}

ToolResolution RuntimeLocator::resolveWithSource(const QString &base, const std::optional<QString> &override)
{
    if (override) {
        const QString trimmed = TextParsing::trimSpacesAndTabs(*override);
        if (!trimmed.isEmpty() && isUsable(trimmed))
            return {trimmed, RuntimeSource::Override};
    }
    if (const auto bundle = bundledDirectory()) {
        const QString candidate = *bundle + QLatin1Char('/') + base;
        if (isUsable(candidate))
            return {candidate, RuntimeSource::Bundled};
    }
    if (const auto external = firstUsable(wellKnownDirectories(), base))
        return {external, RuntimeSource::External};
    const QString path = qEnvironmentVariable("PATH");
    if (const auto found = firstUsable(path.split(QLatin1Char(':'), Qt::SkipEmptyParts), base))
        return {found, RuntimeSource::Path};
    return {};
}

std::optional<QString> RuntimeLocator::resolve(const QString &base, const std::optional<QString> &override)
{
    return resolveWithSource(base, override).path;
}

std::optional<QString> RuntimeLocator::resolveTool(const QString &name) const
{
    return resolve(name, name == QLatin1String("adb") ? adbOverride : scrcpyOverride);
}

std::optional<QString> RuntimeLocator::bundledDirectory()
{
    if (bundledDirectoryOverride())
        return bundledDirectoryOverride();
    if (!QCoreApplication::instance())
        return std::nullopt;
    return bundledRuntimeIn(QCoreApplication::applicationDirPath());
}

std::optional<QString> RuntimeLocator::bundledRuntimeIn(const QString &directory)
{
    if (directory.isEmpty())
        return std::nullopt;
    if (isUsable(directory + QStringLiteral("/scrcpy")) && isUsable(directory + QStringLiteral("/adb")))
        return directory;
    return std::nullopt;
}

std::optional<QString> RuntimeLocator::bundledServerPath()
{
    QString executableDirectory = bundledDirectory().value_or(QString());
    if (executableDirectory.isEmpty() && QCoreApplication::instance())
        executableDirectory = QCoreApplication::applicationDirPath();
    if (executableDirectory.isEmpty())
        return std::nullopt;
#ifdef Q_OS_MACOS
    const QString relative = QStringLiteral("/../Resources/scrcpy-server");
#else
    const QString relative = QStringLiteral("/../share/quorvane/scrcpy-server");
#endif
    const QString server = QDir::cleanPath(executableDirectory + relative);
    if (QFileInfo(server).isFile())
        return server;
    return std::nullopt;
}

QStringList RuntimeLocator::wellKnownDirectories()
{
    if (wellKnownDirectoriesOverride())
        return *wellKnownDirectoriesOverride();
    return {QStringLiteral("/opt/homebrew/bin"), QStringLiteral("/usr/local/bin"),
            QStringLiteral("/opt/homebrew/opt/scrcpy/bin"),
            QStringLiteral("/opt/homebrew/opt/android-platform-tools/bin")};
}

Environment RuntimeLocator::scrcpyEnvironment(const ToolPaths &paths)
{
    Environment environment;
    if (const auto bundle = bundledDirectory()) {
        environment.insert(QStringLiteral("PATH"), *bundle + QLatin1Char(':') + qEnvironmentVariable("PATH"));
        environment.insert(QStringLiteral("ADB"), *bundle + QStringLiteral("/adb"));
        if (const auto server = bundledServerPath())
            environment.insert(QStringLiteral("SCRCPY_SERVER_PATH"), *server);
    } else if (const QString adb = paths.adb(); adb.startsWith(QLatin1Char('/'))) {
        environment.insert(QStringLiteral("ADB"), adb);
    }
    return environment;
}

QCoro::Task<std::optional<ToolVersion>> RuntimeLocator::adbRelease(QString executable)
{
    const std::optional<QString> text =
        co_await versionOutput(std::move(executable), QStringLiteral("version"));
    co_return text ? ToolVersion::fromAdbVersionOutput(*text) : std::nullopt;
}

void RuntimeLocator::setBundledDirectoryOverride(std::optional<QString> directory)
{
    bundledDirectoryOverride() = std::move(directory);
}

void RuntimeLocator::setWellKnownDirectoriesOverride(std::optional<QStringList> directories)
{
    wellKnownDirectoriesOverride() = std::move(directories);
}

QCoro::Task<RuntimeStatus> RuntimeLocator::probeStatus() const
{
    auto emptyIsAbsent = [](const std::optional<QString> &value) {
        return value && !value->isEmpty() ? value : std::nullopt;
    };
    const auto adb = resolve(QStringLiteral("adb"), emptyIsAbsent(adbOverride));
    const auto scrcpy = resolve(QStringLiteral("scrcpy"), emptyIsAbsent(scrcpyOverride));
    RuntimeStatus status;
    status.adbFound = adb.has_value();
    status.scrcpyFound = scrcpy.has_value();
    if (adb) {
        status.adbVersion = co_await versionLine(*adb, QStringLiteral("version"));
        status.adbPath = status.adbVersion ? adb : std::nullopt;
    }
    if (scrcpy) {
        status.scrcpyVersion = co_await versionLine(*scrcpy, QStringLiteral("--version"));
        status.scrcpyPath = status.scrcpyVersion ? scrcpy : std::nullopt;
    }
    co_return status;
}

} // namespace quorvane
