#include "FallbackProfiles.h"

#include "ErrorCatalog.h"

#include <functional>

namespace quorvane::FallbackProfiles {

namespace {

struct Rung
{
    bool applies;
    std::function<void(LaunchConfig &)> change;
};

void dropEncoder(LaunchConfig &config)
{
    config.videoEncoder.reset();
}

void useH264(LaunchConfig &config)
{
    config.codec = QStringLiteral("h264");
}

void capFps(LaunchConfig &config)
{
    config.maxFps = 30;
}

void capSize(LaunchConfig &config)
{
    config.maxSize = 1280;
}

bool hasEncoder(const LaunchConfig &config)
{
    return config.videoEncoder.has_value();
}

bool notH264(const LaunchConfig &config)
{
    return config.codec != QLatin1String("h264");
}

QList<Rung> mirrorRungs(const LaunchConfig &input)
{
    return {{hasEncoder(input), dropEncoder},
            {notH264(input), useH264},
            {input.maxSize > 1280, capSize},
            {input.maxFps > 30, capFps}};
}

QList<Rung> desktopRungs(const LaunchConfig &input)
{
    // DeX captures a display that already exists, so there is no virtual display to relax.
    const bool virtualDisplay = input.desktopEnvironment != QStringLiteral("samsung_dex");
    const bool smallDisplay = input.desktopWidth && *input.desktopWidth <= 1280 && input.desktopHeight &&
                              *input.desktopHeight <= 720;
    return {{virtualDisplay && input.desktopNoDecorations,
             [](LaunchConfig &c) { c.desktopNoDecorations = false; }},
            {virtualDisplay && input.desktopFlex, [](LaunchConfig &c) { c.desktopFlex = false; }},
            {virtualDisplay && !smallDisplay,
             [](LaunchConfig &c) {
                 c.desktopWidth = 1280;
                 c.desktopHeight = 720;
                 c.desktopDensity = 200;
             }},
            {hasEncoder(input), dropEncoder},
            {notH264(input), useH264},
            {input.maxFps > 30, capFps}};
}

QList<Rung> cameraRungs(const LaunchConfig &input)
{
    const bool fastRate = input.maxFps >= 61;
    return {{input.cameraHighSpeed,
             [fastRate](LaunchConfig &c) {
                 c.cameraHighSpeed = false;
                 c.cameraSize.reset();
                 if (fastRate)
                     c.maxFps = 30;
             }},
            {input.cameraTorch, [](LaunchConfig &c) { c.cameraTorch = false; }},
            {input.cameraZoom && *input.cameraZoom > 1.01, [](LaunchConfig &c) { c.cameraZoom.reset(); }},
            {input.cameraAspectRatio.has_value(), [](LaunchConfig &c) { c.cameraAspectRatio.reset(); }},
            {hasEncoder(input), dropEncoder},
            {notH264(input), useH264},
            {input.maxFps > 30, capFps},
            {input.maxSize > 1280, capSize},
            {input.cameraId && input.cameraFacing, [](LaunchConfig &c) { c.cameraId.reset(); }}};
}

QList<Rung> rungsFor(const LaunchConfig &input)
{
    if (input.mode == QLatin1String("camera"))
        return cameraRungs(input);
    if (input.mode == QLatin1String("desktop"))
        return desktopRungs(input);
    return mirrorRungs(input);
}

// How people write the codecs scrcpy names h264, h265 and av1.
QString codecName(const QString &codec)
{
    if (codec == QLatin1String("av1"))
        return QStringLiteral("AV1");
    if (codec.startsWith(QLatin1Char('h')))
        return QStringLiteral("H.") + codec.mid(1);
    return codec;
}

std::optional<qsizetype> firstLater(const QList<LaunchConfig> &ladder, qsizetype index,
                                    const std::function<bool(const LaunchConfig &)> &changed)
{
    for (qsizetype later = index + 1; later < ladder.size(); ++later) {
        if (changed(ladder.at(later)))
            return later;
    }
    return std::nullopt;
}

std::optional<Leap> toH264(const QList<LaunchConfig> &ladder, qsizetype index, const QString &reason)
{
    const QString codec = ladder.at(index).codec;
    if (!notH264(ladder.at(index)))
        return std::nullopt;
    const std::optional<qsizetype> target =
        firstLater(ladder, index, [](const LaunchConfig &rung) { return !notH264(rung); });
    if (!target)
        return std::nullopt;
    return Leap{*target, reason.arg(codecName(codec))};
}

} // namespace

std::optional<Leap> leap(const QList<LaunchConfig> &ladder, qsizetype index, const QString &errorId)
{
    if (index < 0 || index >= ladder.size())
        return std::nullopt;
    if (errorId == ErrorCatalog::decoderMissing)
        return toH264(ladder, index, QStringLiteral("This computer cannot decode %1; using H.264."));
    if (errorId != ErrorCatalog::encoderRefused)
        return std::nullopt;
    const quint32 size = ladder.at(index).maxSize;
    if (size > 1280) {
        const std::optional<qsizetype> smaller = firstLater(ladder, index, [size](const LaunchConfig &rung) {
            return rung.maxSize > 0 && rung.maxSize < size;
        });
        if (smaller)
            return Leap{*smaller, QStringLiteral("The phone's encoder refused %1 px; using %2 px.")
                                      .arg(size)
                                      .arg(ladder.at(*smaller).maxSize)};
    }
    return toH264(ladder, index, QStringLiteral("The phone's encoder refused %1; using H.264."));
}

QList<LaunchConfig> variants(const LaunchConfig &config)
{
    QList<LaunchConfig> ladder{config};
    for (const Rung &rung : rungsFor(config)) {
        if (!rung.applies)
            continue;
        LaunchConfig next = ladder.last();
        rung.change(next);
        ladder.append(next);
    }
    return ladder;
}

} // namespace quorvane::FallbackProfiles
