#include "RuntimeLocator.h"

#include "Errors.h"
#include "ProcessRunner.h"
#include "TextParsing.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>

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

#ifdef Q_OS_MACOS
constexpr char16_t scrcpyArchive[] = u"macOS";
#else
constexpr char16_t scrcpyArchive[] = u"Linux";
#endif

QString damagedCopy(const QString &what)
{
    return QStringLiteral("The built-in %1 is missing. This copy of the app may be damaged — download it "
                          "again from %2.")
        .arg(what, QString::fromUtf16(downloadSite));
}

// A version line as read from one file, kept while the file is unchanged: a launch need not ask again.
struct RememberedLine
{
    QDateTime modified;
    qint64 size = 0;
    QString line;
};

QHash<QString, RememberedLine> &rememberedScrcpyLines()
{
    static QHash<QString, RememberedLine> lines;
    return lines;
}

void rememberScrcpyLine(const QString &executable, const QString &line)
{
    const QFileInfo file(executable);
    rememberedScrcpyLines().insert(file.canonicalFilePath(), {file.lastModified(), file.size(), line});
}

std::optional<QString> rememberedScrcpyLine(const QString &executable)
{
    const QFileInfo file(executable);
    const auto found = rememberedScrcpyLines().constFind(file.canonicalFilePath());
    if (found == rememberedScrcpyLines().cend() || found->modified != file.lastModified() ||
        found->size != file.size())
        return std::nullopt;
    return found->line;
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
    const QStringList candidates{directory,
                                 QDir::cleanPath(directory + QStringLiteral("/../share/quorvane"))};
    for (const QString &candidate : candidates) {
        if (isUsable(candidate + QStringLiteral("/scrcpy")) && isUsable(candidate + QStringLiteral("/adb")))
            return candidate;
    }
    return std::nullopt;
}

std::optional<QString> RuntimeLocator::bundledServerPath()
{
    const std::optional<QString> bundle = bundledDirectory();
    // An unpacked scrcpy release keeps its server beside the two tools.
    if (bundle && QFileInfo(*bundle + QStringLiteral("/scrcpy-server")).isFile())
        return *bundle + QStringLiteral("/scrcpy-server");
    QString executableDirectory = bundle.value_or(QString());
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

QString RuntimeLocator::adbMissing()
{
    if (bundledDirectory())
        return damagedCopy(QStringLiteral("device bridge"));
    return QStringLiteral("adb was not found: install Debian's adb package or Android platform-tools, then "
                          "set its adb in Settings (for quorvanectl, --adb PATH) or put its folder on PATH.");
}

std::optional<QString> RuntimeLocator::scrcpyProblem(const std::optional<QString> &path,
                                                     const std::optional<ToolVersion> &release)
{
    const ToolVersion minimum = ToolVersion::scrcpyMinimum();
    if (release && *release >= minimum)
        return std::nullopt;
    if (!path && bundledDirectory())
        return damagedCopy(QStringLiteral("mirroring engine"));
    QString found;
    if (!path)
        found = QStringLiteral("scrcpy was not found");
    else if (!release)
        found = QStringLiteral("The scrcpy at %1 did not say which version it is").arg(*path);
    else
        found = QStringLiteral("Found scrcpy %1 at %2").arg(release->text, *path);
    return found + QStringLiteral(", but Quorvane needs scrcpy %1 or newer: unpack the scrcpy project's %2 "
                                  "release archive anywhere, then set its scrcpy in Settings (for "
                                  "quorvanectl, --scrcpy PATH) or put its folder on PATH.")
                       .arg(minimum.text, QString::fromUtf16(scrcpyArchive));
}

QCoro::Task<std::optional<ToolVersion>> RuntimeLocator::scrcpyRelease(QString executable)
{
    std::optional<QString> line = rememberedScrcpyLine(executable);
    if (!line) {
        line = co_await versionLine(executable, QStringLiteral("--version"));
        if (line)
            rememberScrcpyLine(executable, *line);
    }
    co_return line ? ToolVersion::fromScrcpyVersionLine(*line) : std::nullopt;
}

QCoro::Task<void> RuntimeLocator::requireUsableScrcpy(QString executable)
{
    const std::optional<ToolVersion> release = co_await scrcpyRelease(executable);
    if (const std::optional<QString> problem = scrcpyProblem(executable, release))
        throw ScrcpyError::runtimeMissing(*problem);
}

void RuntimeLocator::forgetScrcpyReleases()
{
    rememberedScrcpyLines().clear();
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
        const std::optional<QString> output = co_await versionOutput(*adb, QStringLiteral("version"));
        status.adbVersion = output ? std::optional(firstLine(*output)) : std::nullopt;
        status.adbRelease = output ? ToolVersion::fromAdbVersionOutput(*output) : std::nullopt;
        status.adbPath = status.adbVersion ? adb : std::nullopt;
    }
    if (scrcpy) {
        // Asked afresh: the user probes after putting a new scrcpy in place.
        status.scrcpyVersion = co_await versionLine(*scrcpy, QStringLiteral("--version"));
        status.scrcpyPath = status.scrcpyVersion ? scrcpy : std::nullopt;
        if (status.scrcpyVersion) {
            rememberScrcpyLine(*scrcpy, *status.scrcpyVersion);
            status.scrcpyRelease = ToolVersion::fromScrcpyVersionLine(*status.scrcpyVersion);
        }
    }
    QStringList problems;
    if (!adb)
        problems << adbMissing();
    if (const std::optional<QString> problem = scrcpyProblem(scrcpy, status.scrcpyRelease))
        problems << *problem;
    if (!problems.isEmpty())
        status.problem = problems.join(QLatin1Char(' '));
    co_return status;
}

} // namespace quorvane
