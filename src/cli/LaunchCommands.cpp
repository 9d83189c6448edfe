#include "ADBService.h"
#include "Commands.h"
#include "Errors.h"
#include "FallbackProfiles.h"
#include "LaunchArgumentBuilder.h"
#include "ProfileStore.h"
#include "RecommendedLaunch.h"
#include "RecordFile.h"

namespace quorvane::cli {

namespace {

QCoro::Task<int> inspect(CliContext context, ParsedArguments arguments)
{
    const QString serial = co_await choosePhone(context.paths, arguments.positional(serialWord));
    co_await putBackLeftoverSettings(context.paths, serial);
    const ADBService adb{context.paths};
    const DeviceProfile profile = co_await adb.inspectDevice(serial);
    context.printJson(profile.toJson());
    co_return 0;
}

QCoro::Task<int> recommend(CliContext context, ParsedArguments arguments)
{
    const auto profileFile = arguments.value(QStringLiteral("--profile"));
    const auto mode = arguments.value(QStringLiteral("--mode"));
    const auto learnedFile = arguments.value(QStringLiteral("--learned"));
    if (!mode)
        throw UsageError(QStringLiteral("--mode is required."));
    if (profileFile && arguments.positional(serialWord))
        throw UsageError(QStringLiteral("recommend takes SERIAL or --profile FILE, not both."));
    std::optional<QString> serial;
    if (!profileFile)
        serial = co_await choosePhone(context.paths, arguments.positional(serialWord));

    DeviceProfile profile;
    if (profileFile) {
        profile = readRecord<DeviceProfile>(*profileFile);
    } else {
        co_await putBackLeftoverSettings(context.paths, *serial);
        const ADBService adb{context.paths};
        profile = co_await adb.inspectDevice(*serial);
    }
    std::optional<LearnedProfile> learned;
    if (learnedFile)
        learned = readRecord<LearnedProfile>(*learnedFile);
    else if (serial)
        learned = ProfileStore().load(PhoneIdentity(*serial, profile.hardwareSerial), *mode);
    const Recommendation recommendation = ADBService::recommendation(profile, *mode, learned);
    // The launch record itself, so that args, ladder and mirror --config read it back unchanged; the
    // explanation rides along in keys the record's reader ignores.
    QJsonObject record = recommendedRecord(recommendation, serial.value_or(profile.serial)).toJson();
    record.insert(QStringLiteral("qualityLabel"), recommendation.qualityLabel);
    record.insert(QStringLiteral("rationale"), QJsonArray::fromStringList(recommendation.rationale));
    context.printJson(record);
    co_return 0;
}

QCoro::Task<int> args(CliContext context, ParsedArguments arguments)
{
    const auto recording = arguments.value(QStringLiteral("--recording"));
    const bool preview = arguments.flag(QStringLiteral("--preview"));
    const QString file = *arguments.positional(QStringLiteral("FILE"));
    const QStringList scrcpyArguments =
        LaunchArgumentBuilder::buildArguments(readRecord<LaunchConfig>(file), recording);
    if (preview)
        context.print(LaunchArgumentBuilder::shellPreview(QStringLiteral("scrcpy"), scrcpyArguments));
    else if (context.json)
        context.printJson(QJsonArray::fromStringList(scrcpyArguments));
    else
        context.print(scrcpyArguments.join(QLatin1Char('\n')));
    co_return 0;
}

QCoro::Task<int> ladder(CliContext context, ParsedArguments arguments)
{
    const QString file = *arguments.positional(QStringLiteral("FILE"));
    QJsonArray rungs;
    for (const LaunchConfig &rung : FallbackProfiles::variants(readRecord<LaunchConfig>(file)))
        rungs.append(rung.toJson());
    context.printJson(rungs);
    co_return 0;
}

} // namespace

QList<Command> launchCommands()
{
    const PositionalRule record{QStringLiteral("FILE"),
                                QStringLiteral("a launch record as JSON; - reads standard input"),
                                ValueKind::Path};
    return {
        {QStringLiteral("inspect"),
         QStringLiteral("what the phone offers, as JSON"),
         {phonePositional()},
         {},
         inspect},
        {QStringLiteral("recommend"),
         QStringLiteral("the launch record Quorvane would start for a phone and mode, as JSON"),
         {phonePositional()},
         {modeOption(QStringLiteral("the kind of session to recommend for (required)")),
          {QStringLiteral("--profile"), ValueKind::Path, QStringLiteral("FILE"),
           QStringLiteral("a device profile as inspect prints it, instead of asking a phone")},
          {QStringLiteral("--learned"), ValueKind::Path, QStringLiteral("FILE"),
           QStringLiteral("a learned profile to use instead of the one stored for the phone")}},
         recommend},
        {QStringLiteral("args"),
         QStringLiteral("the scrcpy arguments of a launch record"),
         {record},
         {{QStringLiteral("--recording"), ValueKind::Path, QStringLiteral("PATH"),
           QStringLiteral("the file a recording record writes to")},
          {QStringLiteral("--preview"),
           ValueKind::None,
           {},
           QStringLiteral("print one command line a shell can run")}},
         args},
        {QStringLiteral("ladder"),
         QStringLiteral("the safer launch records tried in turn, as JSON"),
         {record},
         {},
         ladder},
    };
}

} // namespace quorvane::cli
