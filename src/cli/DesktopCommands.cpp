#include "Commands.h"
#include "DesktopService.h"

#include <QTextStream>

#include <unistd.h>

namespace quorvane::cli {

namespace {

// Changing developer settings and rebooting the phone needs a yes from a person, or --yes from a script.
bool confirmed(const QString &serial, bool yes)
{
    if (yes)
        return true;
    if (!isatty(STDIN_FILENO))
        throw UsageError(
            QStringLiteral("desktop enable changes developer settings on the phone and reboots it: "
                           "pass --yes to confirm when not on a terminal."));
    QTextStream err(stderr);
    err << QStringLiteral(
               "Switch on Android desktop windowing on %1? Up to six developer settings change, after a "
               "backup, and the phone reboots. [y/N] ")
               .arg(serial)
        << Qt::flush;
    const QString answer = QTextStream(stdin).readLine().trimmed().toLower();
    return answer == QLatin1String("y") || answer == QLatin1String("yes");
}

void printCapabilities(const CliContext &context, const DesktopCapabilities &caps)
{
    if (context.json) {
        context.printJson(toJson(caps));
        return;
    }
    context.print(caps.message);
    context.print(caps.summary);
    context.print(QStringLiteral("Recommended display: %1x%2 at %3 dpi")
                      .arg(caps.recommendedWidth)
                      .arg(caps.recommendedHeight)
                      .arg(caps.recommendedDensity));
    auto yesNo = [](bool value) { return value ? QStringLiteral("yes") : QStringLiteral("no"); };
    context.print(QStringLiteral("Desktop windowing: %1; freeform: %2; Samsung DeX: %3; backup: %4")
                      .arg(yesNo(caps.androidDesktopWindowingAvailable), yesNo(caps.freeformSupported),
                           yesNo(caps.samsungDexAvailable), yesNo(caps.backupAvailable)));
    context.print(
        QStringLiteral("Launcher: %1").arg(caps.launcherPackage.value_or(QStringLiteral("unknown"))));
}

void printResult(const CliContext &context, const DesktopExperienceResult &result)
{
    if (context.json)
        context.printJson(toJson(result));
    else
        context.print(result.message);
}

DesktopService serviceFor(const CliContext &context)
{
    // Progress goes to standard error so that standard output stays one JSON document.
    return DesktopService{context.paths,
                          [](const QString &line) { QTextStream(stderr) << line << Qt::endl; }};
}

QCoro::Task<int> desktop(CliContext context, ParsedArguments arguments)
{
    const QString action = *arguments.positional(QStringLiteral("ACTION"));
    const bool yes = arguments.flag(QStringLiteral("--yes"));
    const QString serial = co_await choosePhone(context.paths, arguments.positional(serialWord));
    co_await putBackLeftoverSettings(context.paths, serial);
    const DesktopService service = serviceFor(context);
    if (action == QLatin1String("probe")) {
        const DesktopCapabilities caps = co_await service.probeCapabilities(serial);
        printCapabilities(context, caps);
    } else if (action == QLatin1String("enable")) {
        if (!confirmed(serial, yes)) {
            context.print(QStringLiteral("Nothing was changed."));
            co_return 1;
        }
        const DesktopExperienceResult result = co_await service.enableDesktopExperience(serial);
        printResult(context, result);
    } else {
        const DesktopExperienceResult result = co_await service.restoreDesktopExperience(serial);
        printResult(context, result);
        // A backup still there after a restore means some settings did not go back.
        if (result.backupAvailable)
            co_return 1;
    }
    co_return 0;
}

} // namespace

QList<Command> desktopCommands()
{
    return {
        {QStringLiteral("desktop"),
         QStringLiteral("desktop mode support; switch windowing settings on or back"),
         {{QStringLiteral("ACTION"),
           QStringLiteral("probe what the phone supports, enable desktop windowing (the phone reboots) or "
                          "restore the settings as they were"),
           ValueKind::Choice,
           {QStringLiteral("probe"), QStringLiteral("enable"), QStringLiteral("restore")}},
          phonePositional()},
         {{QStringLiteral("--yes"),
           ValueKind::None,
           {},
           QStringLiteral("confirm enable without asking, as a script must")}},
         desktop},
    };
}

} // namespace quorvane::cli
