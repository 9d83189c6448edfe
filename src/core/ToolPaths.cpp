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
    throw ScrcpyError::runtimeMissing(*RuntimeLocator::scrcpyProblem(std::nullopt, std::nullopt));
}

} // namespace quorvane
