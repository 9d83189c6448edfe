#include "FallbackProfiles.h"

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

} // namespace

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
