#include "ToolPaths.h"

#include "Errors.h"
#include "RuntimeLocator.h"

namespace quorvane {

QString ToolPaths::adb() const
{
    return RuntimeLocator::resolve(QStringLiteral("adb"), adbOverride).value_or(QStringLiteral("adb"));
}

QString ToolPaths::scrcpy() const
{
    if (auto path = RuntimeLocator::resolve(QStringLiteral("scrcpy"), scrcpyOverride))
        return *path;
    throw ScrcpyError::runtimeMissing(
        QStringLiteral("The built-in mirroring engine is missing. This copy of the app may be damaged — "
                       "download it again from %1.")
            .arg(QString::fromUtf16(downloadSite)));
}

} // namespace quorvane
