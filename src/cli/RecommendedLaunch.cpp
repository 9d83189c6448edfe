#include "RecommendedLaunch.h"

namespace quorvane::cli {

LaunchConfig recommendedRecord(const Recommendation &recommendation, const QString &serial)
{
    LaunchConfig config = LaunchConfig::defaultRecord();
    config.serial = serial;
    config.mode = recommendation.mode;
    config.maxSize = recommendation.maxSize;
    config.maxFps = recommendation.maxFps;
    config.codec = recommendation.codec;
    config.audio = recommendation.audio;
    config.stayAwake = recommendation.stayAwake;
    config.turnScreenOff = recommendation.turnScreenOff;
    config.showTouches = recommendation.showTouches;
    return config;
}

} // namespace quorvane::cli
