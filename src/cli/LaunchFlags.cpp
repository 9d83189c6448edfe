#include "LaunchFlags.h"

#include "Errors.h"
#include "LaunchArgumentBuilder.h"
#include "TextParsing.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace quorvane::cli {

namespace {

using LaunchArgumentBuilder::Range;

const QString maxSize = QStringLiteral("--max-size");
const QString maxFps = QStringLiteral("--max-fps");
const QString videoCodec = QStringLiteral("--video-codec");
const QString videoBitRate = QStringLiteral("--video-bit-rate");
const QString noAudio = QStringLiteral("--no-audio");
const QString stayAwake = QStringLiteral("--stay-awake");
const QString turnScreenOff = QStringLiteral("--turn-screen-off");
const QString showTouches = QStringLiteral("--show-touches");
const QString fullscreen = QStringLiteral("--fullscreen");
const QString crop = QStringLiteral("--crop");
const QString cameraFacing = QStringLiteral("--camera-facing");
const QString cameraId = QStringLiteral("--camera-id");
const QString cameraSize = QStringLiteral("--camera-size");
const QString newDisplay = QStringLiteral("--new-display");
const QString record = QStringLiteral("--record");
const QString noFallback = QStringLiteral("--no-fallback");
const QString noLearn = QStringLiteral("--no-learn");

QString rangeText(Range range)
{
    return QStringLiteral("%1 to %2").arg(range.lowest).arg(range.highest);
}

// scrcpy's spelling: bits per second, with K or M for thousands and millions. The record holds whole
// megabits, rounded as the screens round them.
std::optional<quint32> megabits(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,12})([KkMm]?)$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QString unit = match.captured(2).toUpper();
    const double bits = match.captured(1).toDouble() * (unit == QLatin1String("M")   ? 1e6
                                                        : unit == QLatin1String("K") ? 1e3
                                                                                     : 1.0);
    const quint32 rounded = LaunchConfig::roundedBitRate(bits / 1e6);
    return LaunchArgumentBuilder::bitRateRange.contains(rounded) ? std::optional(rounded) : std::nullopt;
}

struct DisplayShape
{
    std::optional<quint32> width;
    std::optional<quint32> height;
    std::optional<quint32> density;
};

// "1920x1080/240", "1920x1080" or "/240", as scrcpy's --new-display takes it.
std::optional<DisplayShape> displayShape(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^(?:([0-9]{1,5})x([0-9]{1,5}))?(?:/([0-9]{1,4}))?$"));
    const QRegularExpressionMatch match = form.match(text);
    if (text.isEmpty() || !match.hasMatch())
        return std::nullopt;
    DisplayShape shape;
    if (match.hasCaptured(1)) {
        shape.width = match.captured(1).toUInt();
        shape.height = match.captured(2).toUInt();
        if (!LaunchArgumentBuilder::displaySideRange.contains(*shape.width) ||
            !LaunchArgumentBuilder::displaySideRange.contains(*shape.height))
            return std::nullopt;
    }
    if (match.hasCaptured(3)) {
        shape.density = match.captured(3).toUInt();
        if (!LaunchArgumentBuilder::densityRange.contains(*shape.density))
            return std::nullopt;
    }
    return shape;
}

// scrcpy picks the container from the file name; only these two hold video.
bool isRecordingName(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("mp4") || suffix == QLatin1String("mkv");
}

OptionRule flag(const QString &name, const QString &help)
{
    return {name, ValueKind::None, {}, help};
}

OptionRule checked(const QString &name, const QString &valueName, const QString &help,
                   std::function<bool(const QString &)> check, const QString &validValues)
{
    return {.name = name,
            .kind = ValueKind::Text,
            .valueName = valueName,
            .help = help,
            .check = std::move(check),
            .validValues = validValues};
}

} // namespace

QList<OptionRule> launchFlagOptions()
{
    const QString sides = rangeText(LaunchArgumentBuilder::cameraSideRange);
    return {
        {maxSize, ValueKind::Number, QStringLiteral("N"),
         QStringLiteral("the video's longest side in pixels, 0 for no limit")},
        {maxFps, ValueKind::Number, QStringLiteral("N"), QStringLiteral("the frame-rate cap, 0 for none")},
        {videoCodec, ValueKind::Choice, QStringLiteral("CODEC"), QStringLiteral("the video codec"),
         LaunchArgumentBuilder::videoCodecs()},
        checked(
            videoBitRate, QStringLiteral("RATE"),
            QStringLiteral("the video bit rate in bits per second, K and M as scrcpy takes them"),
            [](const QString &text) { return megabits(text).has_value(); },
            QStringLiteral("%1M to %2M in whole megabits, such as 8M, 8000K or 8000000")
                .arg(LaunchArgumentBuilder::bitRateRange.lowest)
                .arg(LaunchArgumentBuilder::bitRateRange.highest)),
        flag(noAudio, QStringLiteral("leave the phone's sound on the phone")),
        flag(stayAwake, QStringLiteral("keep the phone awake while it is plugged in")),
        flag(turnScreenOff, QStringLiteral("turn the phone's screen off while it is mirrored")),
        flag(showTouches, QStringLiteral("show touches on the phone's screen")),
        flag(fullscreen, QStringLiteral("open the window full screen")),
        checked(
            crop, QStringLiteral("W:H:X:Y"), QStringLiteral("mirror only this part of the screen"),
            [](const QString &text) { return LaunchArgumentBuilder::safeCrop(text).has_value(); },
            QStringLiteral("WIDTH:HEIGHT:X:Y in whole pixels, width and height above 0")),
        {cameraFacing, ValueKind::Choice, QStringLiteral("FACING"),
         QStringLiteral("the camera to open by where it faces; implies --mode camera"),
         LaunchArgumentBuilder::cameraFacings()},
        {cameraId, ValueKind::Text, QStringLiteral("ID"),
         QStringLiteral("the camera to open by id, as \"cameras\" lists it; implies --mode camera")},
        checked(
            cameraSize, QStringLiteral("WxH"),
            QStringLiteral("the camera's capture size; implies --mode camera"),
            [](const QString &text) { return LaunchArgumentBuilder::safeCameraSize(text).has_value(); },
            QStringLiteral("WIDTHxHEIGHT, each %1").arg(sides)),
        {.name = newDisplay,
         .kind = ValueKind::Text,
         .valueName = QStringLiteral("WxH/DPI"),
         .help = QStringLiteral("the desktop's display size and density, such as 1920x1080/240, 1920x1080 "
                                "or /240; implies --mode desktop"),
         .optionalValue = true,
         .check = [](const QString &text) { return displayShape(text).has_value(); },
         .validValues = QStringLiteral("WIDTHxHEIGHT/DPI, either part alone, sides %1, DPI %2")
                            .arg(rangeText(LaunchArgumentBuilder::displaySideRange),
                                 rangeText(LaunchArgumentBuilder::densityRange))},
        {.name = record,
         .kind = ValueKind::Path,
         .valueName = QStringLiteral("PATH"),
         .help = QStringLiteral("record the session, to PATH when given, else to a new file in the "
                                "recordings folder"),
         .optionalValue = true,
         .check = isRecordingName,
         .validValues = QStringLiteral("a file name ending in .mp4 or .mkv")},
        flag(noFallback, QStringLiteral("make one attempt only, without the safer variants")),
        flag(noLearn, QStringLiteral("leave the learned profiles as they are")),
    };
}

std::optional<QString> impliedMode(const ParsedArguments &arguments, const std::optional<QString> &mode)
{
    std::optional<QString> implied;
    for (const auto &[name, flagMode] :
         {std::pair{cameraFacing, QStringLiteral("camera")}, std::pair{cameraId, QStringLiteral("camera")},
          std::pair{cameraSize, QStringLiteral("camera")},
          std::pair{newDisplay, QStringLiteral("desktop")}}) {
        if (!arguments.flag(name))
            continue;
        const std::optional<QString> other = implied ? implied : mode;
        if (other && *other != flagMode)
            throw UsageError(QStringLiteral("%1 is for %2 mode, not %3.").arg(name, flagMode, *other));
        implied = flagMode;
    }
    if (arguments.flag(cameraFacing) && arguments.flag(cameraId))
        throw UsageError(
            QStringLiteral("%1 and %2 both choose the camera; give one.").arg(cameraId, cameraFacing));
    return implied ? implied : mode;
}

void applyLaunchFlags(const ParsedArguments &arguments, LaunchConfig &config)
{
    if (const auto value = arguments.value(maxSize))
        config.maxSize = *TextParsing::parseUInt32(*value);
    if (const auto value = arguments.value(maxFps))
        config.maxFps = *TextParsing::parseUInt32(*value);
    if (const auto value = arguments.value(videoCodec))
        config.codec = *value;
    if (const auto value = arguments.value(videoBitRate))
        config.videoBitRate = *megabits(*value);
    if (arguments.flag(noAudio))
        config.audio = false;
    for (const auto &[name, field] : {std::pair{stayAwake, &LaunchConfig::stayAwake},
                                      std::pair{turnScreenOff, &LaunchConfig::turnScreenOff},
                                      std::pair{showTouches, &LaunchConfig::showTouches},
                                      std::pair{fullscreen, &LaunchConfig::fullscreen}}) {
        if (arguments.flag(name))
            config.*field = true;
    }
    if (const auto value = arguments.value(crop))
        config.crop = LaunchArgumentBuilder::safeCrop(*value);
    // The builder sends an id in preference to a facing: the one asked for must not lose to a stale one.
    if (const auto value = arguments.value(cameraFacing)) {
        config.cameraFacing = *value;
        config.cameraId.reset();
    }
    if (const auto value = arguments.value(cameraId)) {
        config.cameraId = value->trimmed();
        config.cameraFacing.reset();
    }
    if (const auto value = arguments.value(cameraSize))
        config.cameraSize = LaunchArgumentBuilder::safeCameraSize(*value);
    if (const auto value = arguments.value(newDisplay); value && !value->isEmpty()) {
        const DisplayShape shape = *displayShape(*value);
        if (shape.width) {
            config.desktopWidth = shape.width;
            config.desktopHeight = shape.height;
        }
        if (shape.density)
            config.desktopDensity = shape.density;
    }
    if (arguments.flag(record))
        config.record = true;
}

LaunchOptions launchOptions(const ParsedArguments &arguments)
{
    LaunchOptions options;
    options.fallback = !arguments.flag(noFallback);
    options.learn = !arguments.flag(noLearn);
    options.extraArguments = arguments.trailing();
    if (const auto path = arguments.value(record); path && !path->isEmpty()) {
        const QFileInfo file(*path);
        if (!file.absoluteDir().exists())
            throw ScrcpyError::invalidInput(
                QStringLiteral("Cannot record to %1: the folder %2 does not exist.")
                    .arg(file.absoluteFilePath(), file.absolutePath()));
        if (file.exists())
            throw ScrcpyError::invalidInput(
                QStringLiteral(
                    "Cannot record to %1: a file is already there, and recording would replace it.")
                    .arg(file.absoluteFilePath()));
        options.recordingPath = file.absoluteFilePath();
    }
    return options;
}

} // namespace quorvane::cli
