#include "MediaService.h"

#include "AppPaths.h"
#include "Async.h"
#include "Errors.h"
#include "ProcessRunner.h"
#include "RuntimeLocator.h"
#include "SafeFile.h"
#include "TextParsing.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace quorvane {

namespace {

const QString filePrefix = QStringLiteral("Quorvane-");

MediaService::FolderOpener &folderOpener()
{
    static MediaService::FolderOpener opener = [](const QString &folder) {
        QProcess process;
#ifdef Q_OS_MACOS
        process.setProgram(QStringLiteral("/usr/bin/open"));
#else
        process.setProgram(QStringLiteral("xdg-open"));
#endif
        process.setArguments({folder});
        process.setStandardInputFile(QProcess::nullDevice());
        if (!process.startDetached())
            throw FileSystemError(process.errorString());
    };
    return opener;
}

// A serial may hold characters a file name cannot (a path separator would even leave the folder).
QString fileNameSafe(QString serial)
{
    static const QRegularExpression unsafe(QStringLiteral("[/\\x00-\\x1f\\x7f]"));
    return serial.replace(unsafe, QStringLiteral("_"));
}

// "name.ext", then "name-2.ext", "name-3.ext"…: names are stamped to the second, and a second capture in
// the same second must not replace the first.
QString numberedPath(const QString &folder, const QString &name, const QString &extension, int number)
{
    const QString suffix = number > 1 ? QLatin1Char('-') + QString::number(number) : QString();
    return folder + QLatin1Char('/') + name + suffix + extension;
}

QString firstUnusedPath(const QString &folder, const QString &name, const QString &extension)
{
    for (int number = 1;; ++number) {
        const QString path = numberedPath(folder, name, extension, number);
        if (!QFileInfo::exists(path))
            return path;
    }
}

FileSystemError notSaved(const QString &path, const QString &reason)
{
    return FileSystemError(QStringLiteral("Could not save the screenshot “%1”: %2.").arg(path, reason));
}

void replaceWhole(const QString &path, const QByteArray &bytes)
{
    try {
        SafeFile::replaceWhole(path, bytes);
    } catch (const FileSystemError &error) {
        throw notSaved(path, QString::fromUtf8(error.what()));
    }
}

// Claims the first free numbered name with an exclusive create, so that even another process saving in
// the same second (quorvanectl beside the application) ends up with its own file, then fills it atomically.
// A failure leaves nothing behind.
QString saveAsNewFile(const QString &folder, const QString &name, const QString &extension,
                      const QByteArray &bytes)
{
    for (int number = 1;; ++number) {
        const QString path = numberedPath(folder, name, extension, number);
        QFile claim(path);
        if (!claim.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo::exists(path))
                continue;
            throw notSaved(path, claim.errorString());
        }
        claim.close();
        try {
            replaceWhole(path, bytes);
        } catch (...) {
            QFile::remove(path);
            throw;
        }
        return path;
    }
}

bool isAllDigits(const QString &text)
{
    if (text.isEmpty())
        return false;
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
}

} // namespace

QString MediaService::stamp(const QString &pattern) const
{
    return QLocale::c().toString(clock(), pattern);
}

QString MediaService::mediaRoot() const
{
    return AppPaths::mediaRoot(mediaRootOverride);
}

QString MediaService::recordingsRoot() const
{
    return recordingsOverride ? *recordingsOverride : mediaRoot() + QStringLiteral("/Recordings");
}

QString MediaService::screenshotsRoot() const
{
    return screenshotsOverride ? *screenshotsOverride : mediaRoot() + QStringLiteral("/Screenshots");
}

QString MediaService::recordingDestination(const std::optional<QString> &serial) const
{
    const QString day =
        AppPaths::ensureFolder(recordingsRoot() + QLatin1Char('/') + stamp(QStringLiteral("yyyy-MM-dd")));
    QString name = filePrefix + stamp(QStringLiteral("HH-mm-ss"));
    if (serial)
        name += QLatin1Char('-') + fileNameSafe(*serial);
    // A relaunch or reconnect within the same second must not record over the previous session's file.
    return firstUnusedPath(day, name, QStringLiteral(".mp4"));
}

QCoro::Task<QString> MediaService::captureScreenshot(QString serial, std::optional<quint32> displayId) const
{
    std::optional<QString> captureId;
    if (displayId) {
        const ADBService adb{paths};
        captureId = co_await screenshotDisplayID(adb, serial, *displayId);
    }
    co_return co_await capture(serial, captureId);
}

QCoro::Task<QString> MediaService::captureDesktopScreenshot(QString serial) const
{
    const ADBService adb{paths};
    const QStringList arguments{QStringLiteral("dumpsys"), QStringLiteral("SurfaceFlinger")};
    const QString dump = co_await adb.shell(serial, arguments);
    static const QRegularExpression scrcpyDisplay(QStringLiteral("Display\\s+(\\d+)\\s+name=\"") +
                                                  QRegularExpression::escape(QStringLiteral("scrcpy")) +
                                                  QStringLiteral("\""));
    const QRegularExpressionMatch match = scrcpyDisplay.match(dump);
    if (!match.hasMatch())
        throw ScrcpyError::unchecked(QStringLiteral(
            "The Desktop Mode display was not found. Launch Desktop Mode first, then try again."));
    co_return co_await capture(serial, match.captured(1));
}

QCoro::Task<QString> MediaService::capture(QString serial, std::optional<QString> captureId) const
{
    const QString adb = paths.adb();
    if (!ProcessRunner::isUsableExecutable(adb))
        throw ScrcpyError::runtimeMissing(RuntimeLocator::adbMissing());
    QStringList arguments{QStringLiteral("-s"), serial, QStringLiteral("exec-out"),
                          QStringLiteral("screencap")};
    if (captureId)
        arguments << QStringLiteral("-d") << *captureId;
    arguments << QStringLiteral("-p");
    const RawProcessResult result = co_await ProcessRunner::runCollectRaw(adb, arguments);

    if (!result.exitedCleanly) {
        const QString error = QString::fromUtf8(result.stderr_).trimmed();
        throw ScrcpyError::unchecked(error.isEmpty() ? QStringLiteral("Android screenshot capture failed.")
                                                     : error);
    }
    if (result.stdout_.isEmpty()) {
        throw ScrcpyError::unchecked(
            captureId ? QStringLiteral(
                            "This phone returned no image for display %1. Some Android builds block still "
                            "capture of a virtual display; use scrcpy's screenshot shortcut (Ctrl+Alt+S) "
                            "in the Desktop Mode window instead.")
                            .arg(*captureId)
                      : QStringLiteral("Android returned an empty screenshot."));
    }
    co_return saveAsNewFile(screenshotsRoot(), filePrefix + stamp(QStringLiteral("yyyy-MM-dd_HH-mm-ss")),
                            QStringLiteral(".png"), result.stdout_);
}

QString MediaService::openMediaFolder() const
{
    const QString root = mediaRoot();
    openFolder(root);
    return root;
}

QString MediaService::openRecordingsFolder() const
{
    const QString folder = AppPaths::ensureFolder(recordingsRoot());
    openFolder(folder);
    return folder;
}

void MediaService::openFolder(const QString &folder)
{
    folderOpener()(folder);
}

void MediaService::setFolderOpener(FolderOpener opener)
{
    folderOpener() = std::move(opener);
}

QString MediaService::pushTargetDirectory()
{
    return QStringLiteral("/sdcard/Download/");
}

bool MediaService::isFileSizeAllowed(qint64 bytes)
{
    return bytes <= 524'288'000;
}

QCoro::Task<std::optional<QString>> MediaService::pushRefusal(QString localPath)
{
    const QFileInfo pushed(QDir::cleanPath(localPath));
    // A size that cannot be read is no reason to refuse: adb will say what is wrong.
    if (!pushed.isDir()) {
        if (pushed.exists() && !isFileSizeAllowed(pushed.size()))
            co_return QStringLiteral("File too large (>500 MB).");
        co_return std::nullopt;
    }
    // adb copies a folder whole and sends a symbolic link as a link, so the regular files inside count
    // and nothing a link points at does.
    QDirIterator files(pushed.filePath(), QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                       QDirIterator::Subdirectories);
    qint64 total = 0;
    for (int counted = 1; files.hasNext(); ++counted) {
        files.next();
        total += files.fileInfo().size();
        if (!isFileSizeAllowed(total))
            co_return QStringLiteral("Folder “%1” is too large (>500 MB in all).").arg(pushed.fileName());
        // A tree of many small files takes a while to walk; the window stays responsive meanwhile.
        if (counted % 512 == 0)
            co_await sleepPrecisely(std::chrono::milliseconds(0));
    }
    co_return std::nullopt;
}

QCoro::Task<QString> MediaService::screenshotDisplayID(ADBService adb, QString serial,
                                                       quint32 logicalDisplayId)
{
    const QStringList displayArguments{QStringLiteral("dumpsys"), QStringLiteral("display")};
    const QString displayDump = co_await adb.shell(serial, displayArguments);
    const std::optional<DisplayDevice> device = logicalDisplayDevice(displayDump, logicalDisplayId);
    if (!device)
        throw ScrcpyError::deviceState(
            QStringLiteral("Android display %1 is no longer active.").arg(logicalDisplayId));
    static const QString localPrefix = QStringLiteral("local:");
    if (device->uniqueId.startsWith(localPrefix) && isAllDigits(device->uniqueId.mid(localPrefix.size())))
        co_return device->uniqueId.mid(localPrefix.size());
    if (device->uniqueId.isEmpty())
        co_return QString::number(logicalDisplayId);

    const QStringList flingerArguments{QStringLiteral("dumpsys"), QStringLiteral("SurfaceFlinger"),
                                       QStringLiteral("--display-id")};
    const QString flingerDump = co_await adb.shell(serial, flingerArguments);
    // The dump puts a space between the name and its parenthesised id; SurfaceFlinger quotes the bare name.
    const QString name = device->name.trimmed();
    if (auto id = surfaceflingerDisplayID(flingerDump, name))
        co_return *id;
    throw ScrcpyError::deviceState(
        QStringLiteral("Android display %1 (%2) could not be mapped for screenshot "
                       "capture. Relaunch Desktop Mode and try again.")
            .arg(QString::number(logicalDisplayId), name));
}

std::optional<DisplayDevice> MediaService::logicalDisplayDevice(const QString &displayDump, quint32 displayId)
{
    const QStringList lines = displayDump.split(QLatin1Char('\n'));
    const QString displayLine = QStringLiteral("mDisplayId=%1").arg(displayId);
    static const QString devicePrefix = QStringLiteral("mPrimaryDisplayDevice=");
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (TextParsing::trimSpacesAndTabs(lines[i]) != displayLine)
            continue;
        for (qsizetype j = i + 1; j < lines.size() && j <= i + 8; ++j) {
            const QString line = TextParsing::trimSpacesAndTabs(lines[j]);
            if (!line.startsWith(devicePrefix))
                continue;
            const QString value = line.mid(devicePrefix.size());
            const qsizetype open = value.lastIndexOf(QLatin1Char('('));
            const qsizetype close = value.lastIndexOf(QLatin1Char(')'));
            if (open >= 0 && close > open)
                return DisplayDevice{value.left(open), value.mid(open + 1, close - open - 1)};
            return DisplayDevice{value, QString()};
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<QString> MediaService::surfaceflingerDisplayID(const QString &surfaceFlingerDump,
                                                             const QString &displayName)
{
    const QString needle = QStringLiteral("displayName=\"%1\"").arg(displayName);
    const QStringList lines = surfaceFlingerDump.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (!line.contains(needle))
            continue;
        QStringList pieces = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (pieces.size() < 2)
            return std::nullopt;
        // Android prints "Display <id> (HWC display 0): ... displayName=...": the id follows the word.
        if (pieces.first() == QLatin1String("Display"))
            pieces.removeFirst();
        if (!isAllDigits(pieces.first()))
            return std::nullopt;
        return pieces.first();
    }
    return std::nullopt;
}

} // namespace quorvane
