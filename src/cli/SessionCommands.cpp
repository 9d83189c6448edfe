#include "ADBService.h"
#include "Async.h"
#include "Commands.h"
#include "Errors.h"
#include "HostDesktop.h"
#include "MediaService.h"
#include "ProfileStore.h"
#include "RecordFile.h"
#include "SessionManager.h"
#include "TerminationSignals.h"
#include "TextParsing.h"

#include <QTextStream>

namespace quorvane::cli {

namespace {

// How often a running mirror checks for Ctrl+C and for the session ending on its own.
constexpr std::chrono::milliseconds pollInterval{200};

// The launch record the application would start with: the default record with the smart
// recommendation's choices, the learned profile included.
QCoro::Task<LaunchConfig> recommendedConfig(ToolPaths paths, QString serial, QString mode, bool record)
{
    const ADBService adb{paths};
    const DeviceProfile profile = co_await adb.inspectDevice(serial);
    const Recommendation recommendation =
        ADBService::recommendation(profile, mode, ProfileStore().load(serial, mode));
    LaunchConfig config = LaunchConfig::defaultRecord();
    config.serial = serial;
    config.mode = mode;
    config.maxSize = recommendation.maxSize;
    config.maxFps = recommendation.maxFps;
    config.codec = recommendation.codec;
    config.audio = recommendation.audio;
    config.stayAwake = recommendation.stayAwake;
    config.turnScreenOff = recommendation.turnScreenOff;
    config.showTouches = recommendation.showTouches;
    config.record = record;
    co_return config;
}

// What a shell reports for a process ended by that signal, so scripts see the interruption.
int exitCodeFor(const TerminationSignals &termination)
{
    return 128 + termination.signalNumber();
}

// Switches the settings on in the running session; a failure ends the session (putting back what was
// already changed) before it is reported.
QCoro::Task<void> switchOn(SessionManager *manager, LaunchConfig config, QStringList settings)
{
    std::exception_ptr failure;
    try {
        for (const QString &setting : settings) {
            (setting == QLatin1String("showTouches") ? config.showTouches : config.stayAwake) = true;
            QCoro::Task<void> applying =
                manager->applyLiveSetting(setting, config, SessionManager::KeySender());
            co_await std::move(applying);
        }
    } catch (...) {
        failure = std::current_exception();
    }
    if (!failure)
        co_return;
    co_await manager->stop(config.serial);
    std::rethrow_exception(failure);
}

QCoro::Task<int> mirror(CliContext context, ParsedArguments arguments)
{
    const auto mode = arguments.value(QStringLiteral("--mode"));
    const auto configFile = arguments.value(QStringLiteral("--config"));
    const bool record = arguments.flag(QStringLiteral("--record"));
    const QStringList live = arguments.values(QStringLiteral("--live"));
    const QString serial = co_await choosePhone(context.paths, arguments.positional(serialWord));
    co_await putBackLeftoverSettings(context.paths, serial);

    const TerminationSignals termination;
    LaunchConfig config;
    if (configFile) {
        config = readRecord<LaunchConfig>(*configFile);
        config.serial = serial;
        config.mode = mode.value_or(config.mode);
        config.record = config.record || record;
    } else {
        config = co_await recommendedConfig(context.paths, serial, mode.value_or(QStringLiteral("mirror")),
                                            record);
    }
    if (termination.requested())
        co_return exitCodeFor(termination);

    SessionManager manager(context.paths, [context](const QString &line) { context.print(line); });
    manager.setWindowEnvironment(HostDesktop::detect().windowEnvironment(context.xwaylandWindows));
    const MediaService media{context.paths};
    // A signal while the session is starting ends the launch there: a Ctrl+C that also reached scrcpy
    // must not pass for a failed attempt and open the next, weaker one.
    std::optional<QCoro::Task<bool>> cancelling;
    const QMetaObject::Connection whileStarting = QObject::connect(
        &termination, &TerminationSignals::received, &manager, [&manager, &cancelling, serial] {
            if (!cancelling)
                cancelling = manager.stop(serial);
        });
    std::optional<LaunchResult> result;
    try {
        result = co_await manager.launch(config, media);
    } catch (const std::exception &error) {
        if (!termination.requested())
            throw;
        QTextStream(stderr) << QString::fromUtf8(error.what()) << Qt::endl;
    }
    // From here on the loop below notices a signal and stops the session the clean way.
    QObject::disconnect(whileStarting);
    if (cancelling)
        co_await std::move(*cancelling);
    if (!result)
        co_return exitCodeFor(termination);
    context.print(result->message);
    context.print(result->commandPreview);
    if (result->recordingPath)
        context.print(QStringLiteral("Recording to %1").arg(*result->recordingPath));
    co_await switchOn(&manager, config, live);

    while (!termination.requested() && manager.runningSerials().contains(serial))
        co_await sleepPrecisely(pollInterval);
    const bool endedByItself = !termination.requested();
    if (endedByItself)
        context.print(QStringLiteral("The session ended on its own."));
    co_await manager.stop(serial);
    co_return endedByItself ? 1 : 0;
}

QCoro::Task<int> screenshot(CliContext context, ParsedArguments arguments)
{
    std::optional<quint32> display;
    if (const auto displayId = arguments.value(QStringLiteral("--display-id")))
        display = TextParsing::parseUInt32(*displayId);
    const QString serial = co_await choosePhone(context.paths, arguments.positional(serialWord));
    co_await putBackLeftoverSettings(context.paths, serial);
    const MediaService media{context.paths};
    const QString path = co_await media.captureScreenshot(serial, display);
    context.print(path);
    co_return 0;
}

} // namespace

QList<Command> sessionCommands()
{
    return {
        {QStringLiteral("mirror"),
         QStringLiteral("start a session; Ctrl+C stops it"),
         {phonePositional()},
         {modeOption(QStringLiteral("the kind of session (mirror when left out)")),
          {QStringLiteral("--config"), ValueKind::Path, QStringLiteral("FILE"),
           QStringLiteral(
               "start from this launch record instead of the recommendation; - reads standard input")},
          {QStringLiteral("--record"), ValueKind::None, {}, QStringLiteral("record the session to a file")},
          {QStringLiteral("--live"),
           ValueKind::Choice,
           QStringLiteral("SETTING"),
           QStringLiteral("switch this phone setting on once the session runs, put back when it ends"),
           {QStringLiteral("showTouches"), QStringLiteral("stayAwake")},
           true}},
         mirror},
        {QStringLiteral("screenshot"),
         QStringLiteral("save a screenshot of the phone"),
         {phonePositional()},
         {{QStringLiteral("--display-id"), ValueKind::Number, QStringLiteral("N"),
           QStringLiteral("the display to capture (the main one when left out)")}},
         screenshot},
    };
}

} // namespace quorvane::cli
