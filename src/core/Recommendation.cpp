#include "Recommendation.h"

#include "ADBService.h"

// The recommendation rules are operations of ADBService (where the app looks for them) but live here, beside
// the record they fill.

namespace quorvane {

namespace {

void applyModeRow(Recommendation &recommendation, const DeviceProfile &profile, bool wireless)
{
    const QString &mode = recommendation.mode;
    recommendation.codec = QStringLiteral("h264");
    recommendation.stayAwake = true;
    recommendation.showTouches = false;
    if (mode == QLatin1String("creator")) {
        recommendation.showTouches = true;
        recommendation.qualityLabel = QStringLiteral("Creator-ready profile");
        recommendation.rationale << QStringLiteral(
            "Creator Mode enables visible touches and prioritizes clean tutorial capture.");
        if (profile.h265Available) {
            recommendation.codec = QStringLiteral("h265");
            recommendation.rationale << QStringLiteral(
                "H.265 is available, so Creator Mode starts with the more bandwidth-efficient encoder.");
        }
    } else if (mode == QLatin1String("camera")) {
        recommendation.maxSize = 1920;
        recommendation.maxFps = 30;
        recommendation.stayAwake = false;
        recommendation.qualityLabel = QStringLiteral("Stable camera profile");
        recommendation.rationale << QStringLiteral(
            "Camera Mode uses conservative 1080p/30 settings for broad encoder compatibility.");
    } else if (mode == QLatin1String("desktop")) {
        recommendation.maxSize = 1920;
        recommendation.maxFps = wireless ? 30 : 60;
        recommendation.qualityLabel = QStringLiteral("Balanced desktop profile");
        recommendation.rationale << QStringLiteral(
            "Desktop Mode uses scrcpy's virtual-display path and a compatibility-first codec.");
    } else {
        recommendation.qualityLabel =
            wireless ? QStringLiteral("Balanced wireless profile") : QStringLiteral("Fast USB profile");
        recommendation.rationale << QStringLiteral(
            "Everyday Mirror Mode favors H.264 compatibility and responsive control.");
    }
}

} // namespace

Recommendation ADBService::recommendation(const DeviceProfile &profile, const QString &mode)
{
    const bool wireless = profile.connectionKind == QLatin1String("wireless");
    Recommendation recommendation;
    recommendation.mode = mode;
    recommendation.maxSize = wireless ? 1280 : 1920;
    recommendation.maxFps = wireless ? 30 : 60;
    recommendation.rationale
        << (wireless ? QStringLiteral("Wireless profile reduces bandwidth for a steadier connection.")
                     : QStringLiteral("USB connection allows a higher-quality low-latency profile."));
    applyModeRow(recommendation, profile, wireless);
    recommendation.turnScreenOff = false;
    recommendation.audio = profile.supportsAudio;
    if (!profile.supportsAudio)
        recommendation.rationale << QStringLiteral(
            "Audio forwarding is disabled because this Android version is below the supported level.");
    return recommendation;
}

Recommendation ADBService::recommendation(const DeviceProfile &profile, const QString &mode,
                                          const std::optional<LearnedProfile> &learned)
{
    Recommendation recommendation = ADBService::recommendation(profile, mode);
    // A phone that stopped reporting H.265 would refuse the learned codec: the generic profile is safer.
    if (!learned || (learned->codec == QLatin1String("h265") && !profile.h265Available))
        return recommendation;
    recommendation.maxSize = learned->maxSize;
    recommendation.maxFps = learned->maxFps;
    recommendation.codec = learned->codec;
    recommendation.audio = learned->audio && profile.supportsAudio;
    recommendation.qualityLabel = QStringLiteral("Tested device profile");
    recommendation.rationale.prepend(
        QStringLiteral("Using settings that previously launched successfully on this device in this mode."));
    return recommendation;
}

} // namespace quorvane
