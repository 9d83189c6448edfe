#include "DesktopRecords.h"

#include "Models.h"

namespace quorvane {

QJsonObject toJson(const DesktopCapabilities &capabilities)
{
    QJsonObject object{
        {QStringLiteral("supported"), capabilities.supported},
        {QStringLiteral("environmentKind"), capabilities.environmentKind},
        {QStringLiteral("environmentLabel"), capabilities.environmentLabel},
        {QStringLiteral("launchLabel"), capabilities.launchLabel},
        {QStringLiteral("virtualDisplaySupported"), capabilities.virtualDisplaySupported},
        {QStringLiteral("androidDesktopWindowingAvailable"), capabilities.androidDesktopWindowingAvailable},
        {QStringLiteral("samsungDexAvailable"), capabilities.samsungDexAvailable},
        {QStringLiteral("recommendedWidth"), static_cast<qint64>(capabilities.recommendedWidth)},
        {QStringLiteral("recommendedHeight"), static_cast<qint64>(capabilities.recommendedHeight)},
        {QStringLiteral("recommendedDensity"), static_cast<qint64>(capabilities.recommendedDensity)},
        {QStringLiteral("freeformSupported"), capabilities.freeformSupported},
        {QStringLiteral("prepared"), capabilities.prepared},
        {QStringLiteral("backupAvailable"), capabilities.backupAvailable},
        {QStringLiteral("summary"), capabilities.summary},
        {QStringLiteral("message"), capabilities.message}};
    if (capabilities.existingDisplayId)
        object.insert(QStringLiteral("existingDisplayId"),
                      static_cast<qint64>(*capabilities.existingDisplayId));
    insertOptional(object, QStringLiteral("launcherPackage"), capabilities.launcherPackage);
    return object;
}

QJsonObject toJson(const DesktopExperienceResult &result)
{
    return {{QStringLiteral("prepared"), result.prepared},
            {QStringLiteral("backupAvailable"), result.backupAvailable},
            {QStringLiteral("rebootStarted"), result.rebootStarted},
            {QStringLiteral("message"), result.message}};
}

} // namespace quorvane
