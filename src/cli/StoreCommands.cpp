#include "ADBService.h"
#include "Commands.h"
#include "Errors.h"
#include "Presets.h"
#include "ProfileStore.h"
#include "RecordFile.h"
#include "SavedProfileStore.h"

#include <algorithm>

namespace quorvane::cli {

namespace {

const QString nameWord = QStringLiteral("NAME");

QString onOff(bool value)
{
    return value ? QStringLiteral("on") : QStringLiteral("off");
}

QString learnedLine(const ProfileStore::Entry &entry)
{
    return QStringLiteral("%1 %2: max size %3, max fps %4, codec %5, audio %6")
        .arg(entry.serial, entry.mode)
        .arg(entry.profile.maxSize)
        .arg(entry.profile.maxFps)
        .arg(entry.profile.codec, onOff(entry.profile.audio));
}

QString presetLine(const SavedProfile &preset)
{
    return QStringLiteral("%1: %2, max size %3, max fps %4, codec %5, bit rate %6M, audio %7")
        .arg(preset.name, preset.mode)
        .arg(preset.maxSize)
        .arg(preset.maxFps)
        .arg(preset.codec, preset.bitrate, onOff(preset.audio));
}

// Learned profiles are filed under the phone's hardware serial, which a USB serial already is: a network
// address finds them while its phone is connected (adb is asked only then). Otherwise the serial stands
// for itself.
QCoro::Task<PhoneIdentity> identify(ToolPaths paths, QString serial)
{
    std::optional<PhoneIdentity> phone;
    if (const std::optional<QString> announced = PhoneIdentity::fromServiceName(serial))
        phone = PhoneIdentity(serial, announced);
    else if (ADBService::isWirelessSerial(serial))
        phone = co_await ADBService{std::move(paths)}.identify(serial);
    co_return phone.value_or(PhoneIdentity(serial));
}

QCoro::Task<int> profiles(CliContext context, ParsedArguments arguments)
{
    const QString action = *arguments.positional(QStringLiteral("ACTION"));
    const std::optional<QString> mode = arguments.value(QStringLiteral("--mode"));
    const ProfileStore store;
    if (action == QLatin1String("list")) {
        const std::optional<QString> serial = arguments.positional(serialWord);
        std::optional<PhoneIdentity> phone;
        if (serial)
            phone = co_await identify(context.paths, *serial);
        QJsonArray json;
        QStringList lines;
        for (const ProfileStore::Entry &entry : store.list()) {
            if ((phone && entry.serial != phone->key() && entry.serial != phone->serial) ||
                (mode && entry.mode != *mode))
                continue;
            QJsonObject object = entry.profile.toJson();
            object.insert(QStringLiteral("serial"), entry.serial);
            object.insert(QStringLiteral("mode"), entry.mode);
            json.append(object);
            lines << learnedLine(entry);
        }
        if (context.json)
            context.printJson(json);
        else
            context.print(lines.isEmpty() ? QStringLiteral("No learned profiles.")
                                          : lines.join(QLatin1Char('\n')));
        co_return 0;
    }
    // The phone need not be connected: its profiles outlive the connection.
    const QString serial = co_await choosePhone(context.paths, arguments.positional(serialWord));
    const PhoneIdentity phone = co_await identify(context.paths, serial);
    const QStringList forgotten = store.forget(phone, mode);
    if (forgotten.isEmpty())
        throw ScrcpyError::invalidInput(
            mode ? QStringLiteral("No learned profile for %1 in %2 mode.").arg(serial, *mode)
                 : QStringLiteral("No learned profile for %1.").arg(serial));
    if (context.json)
        context.printJson(QJsonObject{{QStringLiteral("serial"), serial},
                                      {QStringLiteral("forgotten"), QJsonArray::fromStringList(forgotten)}});
    else
        context.print(QStringLiteral("Forgot the learned profiles of %1: %2.")
                          .arg(serial, forgotten.join(QStringLiteral(", "))));
    co_return 0;
}

QCoro::Task<int> presets(CliContext context, ParsedArguments arguments)
{
    const QString action = *arguments.positional(QStringLiteral("ACTION"));
    const std::optional<QString> name = arguments.positional(nameWord);
    const std::optional<QString> configFile = arguments.value(QStringLiteral("--config"));
    if (action == QLatin1String("list") && name)
        throw UsageError(QStringLiteral("Unexpected argument: %1").arg(*name));
    if (action != QLatin1String("list") && (!name || name->trimmed().isEmpty()))
        throw UsageError(QStringLiteral("presets %1 needs NAME.").arg(action));
    if (action == QLatin1String("save") && !configFile)
        throw UsageError(QStringLiteral("presets save needs --config FILE."));
    if (action != QLatin1String("save") && configFile)
        throw UsageError(QStringLiteral("--config is for presets save."));

    const SavedProfileStore store;
    QList<SavedProfile> all = store.load();
    if (action == QLatin1String("list")) {
        QJsonArray json;
        QStringList lines;
        for (const SavedProfile &preset : all) {
            json.append(preset.toJson());
            lines << presetLine(preset);
        }
        if (context.json)
            context.printJson(json);
        else
            context.print(lines.isEmpty() ? QStringLiteral("No presets.") : lines.join(QLatin1Char('\n')));
        co_return 0;
    }
    if (action == QLatin1String("save")) {
        const LaunchConfig config = readRecord<LaunchConfig>(*configFile);
        if (!LaunchConfig::supportedModes().contains(config.mode))
            throw ScrcpyError::invalidInput(
                QStringLiteral("%1: the mode %2 is none of %3.")
                    .arg(*configFile, config.mode,
                         LaunchConfig::supportedModes().join(QStringLiteral(", "))));
        SavedProfile preset = presetFrom(config, name->trimmed());
        // Saving under a name that exists replaces that preset, as a script saving twice expects.
        const auto same = std::find_if(all.begin(), all.end(),
                                       [&preset](const SavedProfile &p) { return p.name == preset.name; });
        const bool replacing = same != all.end();
        if (replacing) {
            preset.id = findPreset(all, preset.name).id;
            *same = preset;
        } else {
            all.append(preset);
        }
        store.save(all);
        if (context.json)
            context.printJson(preset.toJson());
        else
            context.print(
                QStringLiteral("%1 preset %2.")
                    .arg(replacing ? QStringLiteral("Replaced") : QStringLiteral("Saved"), preset.name));
        co_return 0;
    }
    const SavedProfile preset = findPreset(all, *name);
    if (action == QLatin1String("show")) {
        if (context.json)
            context.printJson(preset.toJson());
        else
            context.print(presetLine(preset) + QStringLiteral("\nid: ") +
                          preset.id.toString(QUuid::WithoutBraces).toUpper());
        co_return 0;
    }
    all.removeIf([&preset](const SavedProfile &p) { return p.id == preset.id; });
    store.save(all);
    if (context.json)
        context.printJson(preset.toJson());
    else
        context.print(QStringLiteral("Deleted preset %1.").arg(preset.name));
    co_return 0;
}

} // namespace

QList<Command> storeCommands()
{
    return {
        {QStringLiteral("profiles"),
         QStringLiteral("list or forget the settings learned per phone and mode"),
         {{QStringLiteral("ACTION"),
           QStringLiteral("list the learned profiles, or forget a phone's"),
           ValueKind::Choice,
           {QStringLiteral("list"), QStringLiteral("forget")}},
          {serialWord,
           QStringLiteral("the phone whose profiles to list or forget, connected or not; forget without it "
                          "takes -s, ANDROID_SERIAL or the one phone ready"),
           ValueKind::Text,
           {},
           true}},
         {modeOption(QStringLiteral("only the profile of this mode"))},
         profiles},
        {QStringLiteral("presets"),
         QStringLiteral("list, save, show or delete the saved presets the application offers"),
         {{QStringLiteral("ACTION"),
           QStringLiteral("what to do with the presets"),
           ValueKind::Choice,
           {QStringLiteral("list"), QStringLiteral("save"), QStringLiteral("show"),
            QStringLiteral("delete")}},
          {nameWord,
           QStringLiteral("the preset's name (or its id, where several share a name)"),
           ValueKind::Text,
           {},
           true}},
         {{QStringLiteral("--config"), ValueKind::Path, QStringLiteral("FILE"),
           QStringLiteral(
               "for save: the launch record whose video settings to keep; - reads standard input")}},
         presets},
    };
}

} // namespace quorvane::cli
