#include "LaunchArgumentBuilder.h"

#include "TextParsing.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace quorvane::LaunchArgumentBuilder {

namespace {

using TextParsing::parseUInt32;
using TextParsing::trimHorizontalWhitespace;

bool isOneOf(const std::optional<QString> &value, std::initializer_list<const char16_t *> accepted)
{
    return value && std::any_of(accepted.begin(), accepted.end(), [&value](const char16_t *candidate) {
               return *value == QStringView(candidate);
           });
}

// The trimmed value when it is set and not blank.
std::optional<QString> nonBlank(const std::optional<QString> &value)
{
    if (!value)
        return std::nullopt;
    QString trimmed = trimHorizontalWhitespace(*value);
    return trimmed.isEmpty() ? std::nullopt : std::optional<QString>(trimmed);
}

qsizetype characterCount(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() >= 0)
        ++count;
    return count;
}

bool isEncoderNameCharacter(char32_t c)
{
    if (c == U'.' || c == U'_' || c == U'-')
        return true;
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
        return true;
    default:
        return false;
    }
}

QString number(quint32 value)
{
    return QString::number(value);
}

void appendCameraBlock(QStringList &arguments, const LaunchConfig &config)
{
    arguments << QStringLiteral("--video-source=camera");
    if (const auto id = nonBlank(config.cameraId))
        arguments << QStringLiteral("--camera-id=") + *id;
    else if (config.cameraFacing && cameraFacings().contains(*config.cameraFacing))
        arguments << QStringLiteral("--camera-facing=") + *config.cameraFacing;
    const auto size = safeCameraSize(config.cameraSize);
    if (size) {
        arguments << QStringLiteral("--camera-size=") + *size;
    } else {
        if (config.maxSize != 0)
            arguments << QStringLiteral("--max-size=") + number(config.maxSize);
        if (isOneOf(config.cameraAspectRatio, {u"sensor", u"16:9", u"4:3"}))
            arguments << QStringLiteral("--camera-ar=") + *config.cameraAspectRatio;
    }
    if (config.maxFps != 0)
        arguments << QStringLiteral("--camera-fps=") + number(config.maxFps);
    // High-speed capture only exists for explicit sizes; without one scrcpy would refuse it.
    if (config.cameraHighSpeed && size)
        arguments << QStringLiteral("--camera-high-speed");
    if (config.cameraZoom && std::isfinite(*config.cameraZoom) && *config.cameraZoom > 0)
        arguments << QStringLiteral("--camera-zoom=") + QString::asprintf("%.2f", *config.cameraZoom);
    if (config.cameraTorch)
        arguments << QStringLiteral("--camera-torch");
}

std::optional<quint32> withinRange(const std::optional<quint32> &value, Range range)
{
    return value && range.contains(*value) ? value : std::nullopt;
}

void appendNewDisplay(QStringList &arguments, const LaunchConfig &config)
{
    const quint32 width =
        withinRange(config.desktopWidth, displaySideRange).value_or(config.maxSize < 1920 ? 1280 : 1920);
    const quint32 height =
        withinRange(config.desktopHeight, displaySideRange).value_or(width >= 1920 ? 1080 : 720);
    const quint32 density = withinRange(config.desktopDensity, densityRange).value_or(240);
    arguments << QStringLiteral("--new-display=%1x%2/%3").arg(width).arg(height).arg(density);
    if (config.desktopFlex)
        arguments << QStringLiteral("--flex-display");
    if (config.desktopNoDecorations)
        arguments << QStringLiteral("--no-vd-system-decorations");
    if (config.desktopKeepContent)
        arguments << QStringLiteral("--no-vd-destroy-content");
    if (const auto app = nonBlank(config.desktopStartApp))
        arguments << QStringLiteral("--start-app=") + *app;
    arguments << QStringLiteral("--display-ime-policy=local");
}

void appendDesktopBlock(QStringList &arguments, const LaunchConfig &config)
{
    // Samsung DeX already has its display: it is captured, not created.
    if (config.desktopEnvironment == QStringLiteral("samsung_dex")) {
        if (config.desktopDisplayId)
            arguments << QStringLiteral("--display-id=") + number(*config.desktopDisplayId);
    } else {
        appendNewDisplay(arguments, config);
    }
    if (config.maxFps != 0)
        arguments << QStringLiteral("--max-fps=") + number(config.maxFps);
}

void appendMirrorBlock(QStringList &arguments, const LaunchConfig &config)
{
    if (config.maxSize != 0)
        arguments << QStringLiteral("--max-size=") + number(config.maxSize);
    if (config.maxFps != 0)
        arguments << QStringLiteral("--max-fps=") + number(config.maxFps);
}

std::optional<QString> audioArgument(const LaunchConfig &config)
{
    if (!config.audio || config.audioSource == QStringLiteral("off"))
        return QStringLiteral("--no-audio");
    if (isOneOf(config.audioSource, {u"output", u"mic"}))
        return QStringLiteral("--audio-source=") + *config.audioSource;
    return std::nullopt;
}

void appendScreenOptions(QStringList &arguments, const LaunchConfig &config)
{
    // The camera is not the phone's screen: keeping it awake or touching it makes no sense there.
    if (config.mode == QLatin1String("camera"))
        return;
    if (config.stayAwake && !config.turnScreenOff)
        arguments << (config.mode == QLatin1String("desktop") ? QStringLiteral("--keep-active")
                                                              : QStringLiteral("--stay-awake"));
    if (config.turnScreenOff)
        arguments << QStringLiteral("--turn-screen-off");
    if (config.showTouches)
        arguments << QStringLiteral("--show-touches");
}

void appendCommonTail(QStringList &arguments, const LaunchConfig &config,
                      const std::optional<QString> &recording)
{
    const bool knownCodec = videoCodecs().contains(config.codec);
    arguments << QStringLiteral("--video-codec=") + (knownCodec ? config.codec : QStringLiteral("h264"));
    const bool bitRateInRange = bitRateRange.contains(config.videoBitRate);
    arguments << QStringLiteral("--video-bit-rate=%1M").arg(bitRateInRange ? config.videoBitRate : 8);
    if (const auto encoder = safeVideoEncoder(config.videoEncoder))
        arguments << QStringLiteral("--video-encoder=") + *encoder;
    if (const auto audio = audioArgument(config))
        arguments << *audio;
    appendScreenOptions(arguments, config);
    if (config.fullscreen)
        arguments << QStringLiteral("--fullscreen");
    if (const auto orientation = captureOrientationArg(config.captureOrientation))
        arguments << *orientation;
    if (const auto crop = safeCrop(config.crop))
        arguments << QStringLiteral("--crop=") + *crop;
    if (recording)
        arguments << QStringLiteral("--record=") + *recording;
    if (!config.clipboardSync)
        arguments << QStringLiteral("--no-clipboard-autosync");
    arguments << QStringLiteral("--window-title=Quorvane · ") + config.serial;
}

} // namespace

const QStringList &videoCodecs()
{
    static const QStringList codecs{QStringLiteral("h264"), QStringLiteral("h265"), QStringLiteral("av1")};
    return codecs;
}

const QStringList &cameraFacings()
{
    static const QStringList facings{QStringLiteral("front"), QStringLiteral("back"),
                                     QStringLiteral("external")};
    return facings;
}

QStringList buildArguments(const LaunchConfig &config, const std::optional<QString> &recording)
{
    QStringList arguments{QStringLiteral("-s"), config.serial};
    if (config.mode == QLatin1String("camera"))
        appendCameraBlock(arguments, config);
    else if (config.mode == QLatin1String("desktop"))
        appendDesktopBlock(arguments, config);
    else
        appendMirrorBlock(arguments, config);
    appendCommonTail(arguments, config, recording);
    return arguments;
}

QString shellPreview(const QString &program, const QStringList &arguments)
{
    QStringList words{program};
    for (QString argument : arguments) {
        if (argument.contains(QLatin1Char(' ')))
            argument = QLatin1Char('"') + argument.replace(QLatin1Char('"'), QLatin1String("\\\"")) +
                       QLatin1Char('"');
        words << argument;
    }
    return words.join(QLatin1Char(' '));
}

std::optional<QString> safeVideoEncoder(const std::optional<QString> &name)
{
    const auto trimmed = nonBlank(name);
    if (!trimmed || characterCount(*trimmed) > 160)
        return std::nullopt;
    const QList<uint> codePoints = trimmed->toUcs4();
    const bool safe = std::all_of(codePoints.cbegin(), codePoints.cend(),
                                  [](uint c) { return isEncoderNameCharacter(char32_t(c)); });
    return safe ? trimmed : std::nullopt;
}

std::optional<QString> safeCameraSize(const std::optional<QString> &size)
{
    const auto trimmed = nonBlank(size);
    if (!trimmed)
        return std::nullopt;
    // An empty side ("1920xx1080", "x1920x1080") is a typing slip, not a size: refuse it like any other.
    const QStringList sides = trimmed->split(QLatin1Char('x'));
    const auto acceptable = [](const QString &side) {
        const auto value = parseUInt32(side);
        return value && cameraSideRange.contains(*value);
    };
    if (sides.size() != 2 || !acceptable(sides[0]) || !acceptable(sides[1]))
        return std::nullopt;
    return trimmed;
}

std::optional<QString> safeCrop(const std::optional<QString> &crop)
{
    const auto trimmed = nonBlank(crop);
    if (!trimmed)
        return std::nullopt;
    // An empty piece ("1080::1920:0") would shift every value into the wrong place: refuse it.
    const QStringList parts = trimmed->split(QLatin1Char(':'));
    if (parts.size() != 4)
        return std::nullopt;
    QList<quint32> values;
    for (const QString &part : parts) {
        const auto value = parseUInt32(part);
        if (!value)
            return std::nullopt;
        values << *value;
    }
    if (values[0] == 0 || values[1] == 0)
        return std::nullopt;
    return trimmed;
}

std::optional<QString> captureOrientationArg(const std::optional<QString> &orientation)
{
    if (orientation == QStringLiteral("initial"))
        return QStringLiteral("--capture-orientation=@");
    if (isOneOf(orientation, {u"0", u"90", u"180", u"270"}))
        return QStringLiteral("--capture-orientation=@") + *orientation;
    return std::nullopt;
}

} // namespace quorvane::LaunchArgumentBuilder
