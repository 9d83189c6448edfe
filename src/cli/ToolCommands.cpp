#include "ADBService.h"
#include "Commands.h"
#include "ErrorCatalog.h"
#include "RuntimeLocator.h"

#include <QTextStream>

namespace quorvane::cli {

namespace {

QString describeTool(const QString &name, bool found, const std::optional<QString> &path,
                     const std::optional<QString> &version)
{
    if (!found)
        return QStringLiteral("%1: not found").arg(name);
    if (!path)
        return QStringLiteral("%1: found, but its version could not be read").arg(name);
    return QStringLiteral("%1: %2 (%3)").arg(name, *path, version.value_or(QString()));
}

QCoro::Task<int> runtime(CliContext context, ParsedArguments)
{
    const RuntimeLocator locator{context.paths.adbOverride, context.paths.scrcpyOverride};
    const RuntimeStatus status = co_await locator.probeStatus();
    if (context.json) {
        context.printJson(toJson(status));
    } else {
        context.print(
            describeTool(QStringLiteral("adb"), status.adbFound, status.adbPath, status.adbVersion));
        context.print(describeTool(QStringLiteral("scrcpy"), status.scrcpyFound, status.scrcpyPath,
                                   status.scrcpyVersion));
        if (status.problem)
            context.print(*status.problem);
    }
    co_return 0;
}

QCoro::Task<int> devices(CliContext context, ParsedArguments)
{
    const ADBService adb{context.paths};
    const ADBService::Listing listing = co_await adb.readDevices();
    const QList<DeviceInfo> &devices = listing.devices;
    // The list may be fine while adb warns of something that will break it again (a rival adb).
    if (const std::optional<KnownErrorMatch> known = ErrorCatalog::find(listing.errorOutput))
        QTextStream(stderr) << known->sentence() << Qt::endl;
    if (context.json) {
        QJsonArray array;
        for (const DeviceInfo &device : devices)
            array.append(toJson(device));
        context.printJson(array);
        co_return 0;
    }
    if (devices.isEmpty())
        context.print(QStringLiteral("No devices attached."));
    for (const DeviceInfo &device : devices)
        context.print(QStringLiteral("%1\t%2\t%3\t%4")
                          .arg(device.serial, device.state, device.displayName(), device.connectionKind));
    co_return 0;
}

} // namespace

QList<Command> toolCommands()
{
    return {
        {QStringLiteral("runtime"),
         QStringLiteral("where adb and scrcpy are, and their versions"),
         {},
         {},
         runtime},
        {QStringLiteral("devices"), QStringLiteral("the phones adb can see"), {}, {}, devices},
    };
}

} // namespace quorvane::cli
