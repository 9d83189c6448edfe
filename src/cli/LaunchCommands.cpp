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

QCoro::Task<int> inspect(CliContext context, ArgumentList arguments)
{
    const QString serial = arguments.takePositional(QStringLiteral("serial"));
    arguments.expectEnd();
    co_await putBackLeftoverSettings(context.paths, serial);
    const ADBService adb{context.paths};
    const DeviceProfile profile = co_await adb.inspectDevice(serial);
    context.printJson(profile.toJson());
    co_return 0;
}

QCoro::Task<int> recommend(CliContext context, ArgumentList arguments)
{
    const auto profileFile = arguments.takeOption(QStringLiteral("--profile"));
    const auto mode = arguments.takeOption(QStringLiteral("--mode"));
    const auto learnedFile = arguments.takeOption(QStringLiteral("--learned"));
    const auto serial =
        profileFile ? std::nullopt
                    : std::optional(arguments.takePositional(QStringLiteral("serial or --profile FILE")));
    arguments.expectEnd();
    if (!mode)
        throw UsageError(QStringLiteral("--mode is required."));

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
        learned = ProfileStore().load(*serial, *mode);
    const Recommendation recommendation = ADBService::recommendation(profile, *mode, learned);
    // The launch record itself, so that args, ladder and mirror --config read it back unchanged; the
    // explanation rides along in keys the record's reader ignores.
    QJsonObject record = recommendedRecord(recommendation, serial.value_or(profile.serial)).toJson();
    record.insert(QStringLiteral("qualityLabel"), recommendation.qualityLabel);
    record.insert(QStringLiteral("rationale"), QJsonArray::fromStringList(recommendation.rationale));
    context.printJson(record);
    co_return 0;
}

QCoro::Task<int> args(CliContext context, ArgumentList arguments)
{
    const auto recording = arguments.takeOption(QStringLiteral("--recording"));
    const bool preview = arguments.takeFlag(QStringLiteral("--preview"));
    const QString file = arguments.takePositional(QStringLiteral("launch record file"));
    arguments.expectEnd();
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

QCoro::Task<int> ladder(CliContext context, ArgumentList arguments)
{
    const QString file = arguments.takePositional(QStringLiteral("launch record file"));
    arguments.expectEnd();
    QJsonArray rungs;
    for (const LaunchConfig &rung : FallbackProfiles::variants(readRecord<LaunchConfig>(file)))
        rungs.append(rung.toJson());
    context.printJson(rungs);
    co_return 0;
}

} // namespace

QList<Command> launchCommands()
{
    return {
        {QStringLiteral("inspect"), QStringLiteral("inspect SERIAL          what the phone offers, as JSON"),
         inspect},
        {QStringLiteral("recommend"),
         QStringLiteral("recommend (SERIAL | --profile FILE) --mode MODE [--learned FILE]\n"
                        "                          the smart settings for a phone and mode, as JSON"),
         recommend},
        {QStringLiteral("args"),
         QStringLiteral(
             "args FILE [--recording PATH] [--preview]\n"
             "                          the scrcpy arguments of a launch record (- reads standard input)"),
         args},
        {QStringLiteral("ladder"),
         QStringLiteral("ladder FILE             the safer launch records tried in turn, as JSON"), ladder},
    };
}

} // namespace quorvane::cli
