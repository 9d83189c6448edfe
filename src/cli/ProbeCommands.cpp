#include "CameraService.h"
#include "Commands.h"
#include "DoctorService.h"

namespace quorvane::cli {

namespace {

QString cameraLine(const CameraInfo &camera)
{
    QString line = QStringLiteral("%1\t%2").arg(camera.cameraId, camera.label());
    if (!camera.sizes.isEmpty())
        line += QStringLiteral("\tsizes: ") + camera.sizes.join(QStringLiteral(", "));
    for (const CameraHighSpeedMode &mode : camera.highSpeedModes) {
        QStringList rates;
        for (const quint32 rate : mode.fps)
            rates << QString::number(rate);
        line += QStringLiteral("\n\thigh speed %1 at %2 fps").arg(mode.size, rates.join(QLatin1Char('/')));
    }
    return line;
}

QCoro::Task<int> cameras(CliContext context, ParsedArguments arguments)
{
    const QString serial = co_await choosePhone(context.paths, arguments.positional(serialWord));
    co_await putBackLeftoverSettings(context.paths, serial);
    const CameraService service{context.paths};
    const CameraCapabilities caps = co_await service.listCapabilities(serial);
    if (context.json) {
        context.printJson(toJson(caps));
        co_return 0;
    }
    if (caps.cameras.isEmpty())
        context.print(QStringLiteral("No cameras reported."));
    for (const CameraInfo &camera : caps.cameras)
        context.print(cameraLine(camera));
    if (caps.recommendedCameraId)
        context.print(QStringLiteral("Recommended camera: %1").arg(*caps.recommendedCameraId));
    context.print(caps.note);
    co_return 0;
}

QString findingText(const DoctorFinding &finding)
{
    QString text = QStringLiteral("[%1] %2: %3")
                       .arg(DoctorFinding::toString(finding.level), finding.title, finding.detail);
    if (finding.action)
        text += QStringLiteral("\n    → ") + *finding.action;
    return text;
}

QCoro::Task<int> doctor(CliContext context, ParsedArguments)
{
    // Without the application's own check the desktop decides whether keys can reach a mirror window.
    DoctorService service{RuntimeLocator{context.paths.adbOverride, context.paths.scrcpyOverride}, {}};
    service.xwaylandWindows = context.xwaylandWindows;
    const QList<DoctorFinding> findings = co_await service.runDoctor(context.paths);
    if (context.json) {
        QJsonArray array;
        for (const DoctorFinding &finding : findings)
            array.append(toJson(finding));
        context.printJson(array);
        co_return 0;
    }
    for (const DoctorFinding &finding : findings)
        context.print(findingText(finding));
    co_return 0;
}

} // namespace

QList<Command> probeCommands()
{
    return {
        {QStringLiteral("cameras"),
         QStringLiteral("the phone's cameras, sizes and frame rates"),
         {phonePositional()},
         {},
         cameras},
        {QStringLiteral("doctor"),
         QStringLiteral("why a phone cannot be mirrored, and what to do"),
         {},
         {},
         doctor},
    };
}

} // namespace quorvane::cli
