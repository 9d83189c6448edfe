#pragma once

#include "ADBService.h"
#include "ToolPaths.h"

#include <QDateTime>
#include <QString>

#include <QCoroTask>

#include <functional>
#include <optional>

namespace quorvane {

// A display as the phone's display dump names it.
struct DisplayDevice
{
    QString name;
    QString uniqueId;

    bool operator==(const DisplayDevice &) const = default;
};

// Where recordings and screenshots go, phone screenshots through adb, and opening those folders.
struct MediaService
{
    using Clock = std::function<QDateTime()>;
    using FolderOpener = std::function<void(const QString &)>;

    ToolPaths paths;
    // Absent: the default folders. Most callers name only the tool paths.
    std::optional<QString> mediaRootOverride = std::nullopt;
    std::optional<QString> recordingsOverride = std::nullopt;
    std::optional<QString> screenshotsOverride = std::nullopt;
    Clock clock = [] { return QDateTime::currentDateTime(); };

    QString mediaRoot() const;
    QString recordingsRoot() const;
    QString screenshotsRoot() const;
    // A new recording's file inside a folder named after today; the folder is created.
    QString recordingDestination(const std::optional<QString> &serial) const;

    QCoro::Task<QString> captureScreenshot(QString serial, std::optional<quint32> displayId) const;
    QCoro::Task<QString> captureDesktopScreenshot(QString serial) const;

    QString openMediaFolder() const;
    QString openRecordingsFolder() const;
    static void openFolder(const QString &folder);
    // Tests replace the file manager; the default starts xdg-open (open on macOS), detached.
    static void setFolderOpener(FolderOpener opener);

    static QString pushTargetDirectory();
    static bool isFileSizeAllowed(qint64 bytes);
    // The sentence that refuses pushing a file, or a folder with everything in it, over the size limit;
    // nothing when the push may go ahead. Lets the event loop run while it walks a large folder.
    static QCoro::Task<std::optional<QString>> pushRefusal(QString localPath);

    static QCoro::Task<QString> screenshotDisplayID(ADBService adb, QString serial, quint32 logicalDisplayId);
    static std::optional<DisplayDevice> logicalDisplayDevice(const QString &displayDump, quint32 displayId);
    static std::optional<QString> surfaceflingerDisplayID(const QString &surfaceFlingerDump,
                                                          const QString &displayName);

private:
    QCoro::Task<QString> capture(QString serial, std::optional<QString> captureId) const;
    QString stamp(const QString &pattern) const;
};

} // namespace quorvane
