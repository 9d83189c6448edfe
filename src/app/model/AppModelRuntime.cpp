#include "AppModel.h"

#include "RuntimeLocator.h"
#include "TextParsing.h"

#include <QFileInfo>

namespace quorvane::app {

QString AppModel::toolPathProblem(const QString &typed)
{
    // Trimmed as the locator trims it, so the mark judges the path that will really be tried.
    const QString path = TextParsing::trimSpacesAndTabs(typed);
    if (path.isEmpty())
        return {};
    // A relative path would be looked up from wherever the app happened to start.
    if (!QFileInfo(path).isAbsolute())
        return QStringLiteral("Not a full path: %1").arg(path);
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("Not found: %1").arg(path);
    if (!info.isFile() || !info.isExecutable())
        return QStringLiteral("Not an executable file: %1").arg(path);
    return {};
}

bool AppModel::runtimeBundled()
{
    return RuntimeLocator::bundledDirectory().has_value();
}

QString AppModel::toolOrigin(const QString &path) const
{
    for (const QString &custom : {customADBPath(), customScrcpyPath()}) {
        if (TextParsing::trimSpacesAndTabs(custom) == path)
            return QStringLiteral("set in Settings");
    }
    if (const auto bundle = RuntimeLocator::bundledDirectory(); bundle && path.startsWith(*bundle + u'/'))
        return QStringLiteral("bundled with Quorvane");
    return QStringLiteral("found on this computer");
}

} // namespace quorvane::app
