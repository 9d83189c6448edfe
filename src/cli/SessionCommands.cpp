#include "ADBService.h"
#include "Async.h"
#include "Commands.h"
#include "ErrorCatalog.h"
#include "Errors.h"
#include "HostDesktop.h"
#include "LaunchFlags.h"
#include "MediaService.h"
#include "Presets.h"
#include "ProfileStore.h"
#include "RecommendedLaunch.h"
#include "RecordFile.h"
#include "SavedProfileStore.h"
#include "SessionManager.h"
#include "TerminationSignals.h"
#include "TextParsing.h"

#include <QJsonDocument>
#include <QTextStream>

namespace quorvane::cli {

namespace {

// How often a running mirror checks for Ctrl+C and for the session ending on its own.
constexpr std::chrono::milliseconds pollInterval{200};

// The launch record the application would start with, the learned profile included.
QCoro::Task<LaunchConfig> recommendedConfig(ToolPaths paths, QString serial, QString mode)
{
    const ADBService adb{paths};
    const DeviceProfile profile = co_await adb.inspectDevice(serial);
    co_return recommendedRecord(
        ADBService::recommendation(profile, mode,
                                   ProfileStore().load(PhoneIdentity(serial, profile.hardwareSerial), mode)),
        serial);
}

// What mirror starts from before its flags are laid over it: a launch record read whole, or the
// recommendation with a preset's video settings.
struct SessionSource
{
    std::optional<QString> configFile;
    std::optional<SavedProfile> preset;
    std::optional<QString> mode;
    LaunchOptions options;
};

QCoro::Task<LaunchConfig> sessionConfig(CliContext context, QString serial, SessionSource source,
                                        ParsedArguments arguments)
{
    LaunchConfig config;
    if (source.configFile) {
        config = readRecord<LaunchConfig>(*source.configFile);
        config.serial = serial;
        config.mode = *impliedMode(arguments, source.mode.value_or(config.mode));
    } else {
        const QString mode = source.mode.value_or(QStringLiteral("mirror"));
        config = co_await recommendedConfig(context.paths, serial, mode);
        if (source.preset)
            applyPreset(*source.preset, config);
    }
    applyLaunchFlags(arguments, config);
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

// With --json a session is followed as JSON Lines on standard output, one event an object, and nothing else
// goes there, so a script can read it line by line.
bool &eventsStarted()
{
    static bool started = false;
    return started;
}

void printEvent(const QString &event, QJsonObject fields)
{
    eventsStarted() = true;
    fields.insert(QStringLiteral("event"), event);
    QTextStream(stdout) << QJsonDocument(fields).toJson(QJsonDocument::Compact) << Qt::endl;
}

// How a session ended, for scripts: "closed" (the user closed the window) and 0, "died" (scrcpy ended on
// its own) and 1, "interrupted" by a signal and what a shell reports for it.
int endWith(const CliContext &context, const QString &reason, int exitCode, std::optional<int> scrcpyExitCode,
            const std::optional<KnownErrorMatch> &known = std::nullopt)
{
    if (context.json) {
        QJsonObject fields{{QStringLiteral("reason"), reason}, {QStringLiteral("exitCode"), exitCode}};
        if (scrcpyExitCode)
            fields.insert(QStringLiteral("scrcpyExitCode"), *scrcpyExitCode);
        if (known)
            fields.insert(QStringLiteral("finding"), known->toJson());
        printEvent(QStringLiteral("ended"), fields);
    }
    return exitCode;
}

QCoro::Task<int> runSession(CliContext context, QString serial, SessionSource source,
                            ParsedArguments arguments)
{
    co_await putBackLeftoverSettings(context.paths, serial);

    const TerminationSignals termination;
    const auto interrupted = [&context, &termination] {
        return endWith(context, QStringLiteral("interrupted"), exitCodeFor(termination), std::nullopt);
    };
    QCoro::Task<LaunchConfig> configuring = sessionConfig(context, serial, source, arguments);
    const LaunchConfig config = co_await std::move(configuring);
    const QStringList live = arguments.values(QStringLiteral("--live"));
    if (termination.requested())
        co_return interrupted();

    SessionManager manager(context.paths, [context](const QString &line) {
        if (context.json)
            printEvent(QStringLiteral("log"), {{QStringLiteral("line"), line}});
        else
            context.print(line);
    });
    if (context.json)
        manager.setOnAttempt([](int number, const QStringList &arguments) {
            printEvent(QStringLiteral("attempt"),
                       {{QStringLiteral("number"), number},
                        {QStringLiteral("arguments"), QJsonArray::fromStringList(arguments)}});
        });
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
        result = co_await manager.launch(config, media, source.options);
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
        co_return interrupted();
    if (context.json) {
        QJsonObject started{{QStringLiteral("message"), result->message},
                            {QStringLiteral("command"), result->commandPreview},
                            {QStringLiteral("attempts"), result->attempts},
                            {QStringLiteral("fallbackUsed"), result->fallbackUsed}};
        if (result->recordingPath)
            started.insert(QStringLiteral("recordingPath"), *result->recordingPath);
        printEvent(QStringLiteral("started"), started);
    } else {
        context.print(result->message);
        context.print(result->commandPreview);
        if (result->recordingPath)
            context.print(QStringLiteral("Recording to %1").arg(*result->recordingPath));
    }
    co_await switchOn(&manager, config, live);

    while (!termination.requested() && manager.runningSerials().contains(serial))
        co_await sleepPrecisely(pollInterval);
    // A Ctrl+C from the terminal reaches scrcpy too, which then ends as if its window were closed; the
    // signal is read first, so that end still counts as an interruption.
    const bool signalled = termination.requested();
    const std::optional<int> scrcpyExitCode = signalled ? std::nullopt : manager.exitCodeOf(serial);
    const bool closed = scrcpyExitCode == 0;
    const std::optional<KnownErrorMatch> failure =
        signalled || closed ? std::nullopt : manager.failureOf(serial);
    if (!signalled && !closed && !context.json)
        context.print(QStringLiteral("The session ended on its own."));
    if (failure)
        QTextStream(stderr) << failure->sentence() << Qt::endl;
    co_await manager.stop(serial);
    if (signalled)
        co_return interrupted();
    co_return endWith(context, closed ? QStringLiteral("closed") : QStringLiteral("died"), closed ? 0 : 1,
                      scrcpyExitCode, failure);
}

QCoro::Task<int> mirror(CliContext context, ParsedArguments arguments)
{
    try {
        SessionSource source;
        source.configFile = arguments.value(QStringLiteral("--config"));
        const auto presetName = arguments.value(QStringLiteral("--preset"));
        if (source.configFile && presetName)
            throw UsageError(QStringLiteral("--config and --preset both give the settings; give one."));
        // Whatever can be refused without a phone is refused before one is asked for.
        source.mode = impliedMode(arguments, arguments.value(QStringLiteral("--mode")));
        source.options = launchOptions(arguments);
        if (presetName) {
            source.preset = findPreset(SavedProfileStore().load(), *presetName);
            source.mode = impliedMode(arguments, source.mode.value_or(source.preset->mode));
        }
        const QString serial = co_await choosePhone(context.paths, arguments.positional(serialWord));
        QCoro::Task<int> running = runSession(context, serial, source, arguments);
        co_return co_await std::move(running);
    } catch (const UsageError &) {
        throw;
    } catch (const std::exception &error) {
        // The front end prints the reason on standard error and exits 1.
        endWith(context, QStringLiteral("failed"), 1, std::nullopt,
                ErrorCatalog::find(QString::fromUtf8(error.what())));
        throw;
    }
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

QList<OptionRule> mirrorOptions()
{
    QList<OptionRule> options{
        modeOption(QStringLiteral("the kind of session (mirror when left out)")),
        {QStringLiteral("--config"), ValueKind::Path, QStringLiteral("FILE"),
         QStringLiteral("start from this launch record instead of the recommendation; - reads standard "
                        "input; the flags below override it")},
        {QStringLiteral("--preset"), ValueKind::Text, QStringLiteral("NAME"),
         QStringLiteral("lay a saved preset over the recommendation; its mode too, unless --mode is given")},
        {QStringLiteral("--live"),
         ValueKind::Choice,
         QStringLiteral("SETTING"),
         QStringLiteral("switch this phone setting on once the session runs, put back when it ends"),
         {QStringLiteral("showTouches"), QStringLiteral("stayAwake")},
         true}};
    return options + launchFlagOptions();
}

} // namespace

bool sessionEventsPrinted()
{
    return eventsStarted();
}

QList<Command> sessionCommands()
{
    return {
        {QStringLiteral("mirror"),
         QStringLiteral("start a session; Ctrl+C stops it"),
         {phonePositional()},
         mirrorOptions(),
         mirror,
         PositionalRule{
             QStringLiteral("SCRCPY-OPTION"),
             QStringLiteral("passed to scrcpy as given, after Quorvane's own options; not checked")}},
        {QStringLiteral("screenshot"),
         QStringLiteral("save a screenshot of the phone"),
         {phonePositional()},
         {{QStringLiteral("--display-id"), ValueKind::Number, QStringLiteral("N"),
           QStringLiteral("the display to capture (the main one when left out)")}},
         screenshot},
    };
}

} // namespace quorvane::cli
