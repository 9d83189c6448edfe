#include "ShortcutError.h"

#include "PlatformServices.h"

namespace quorvane::app {

ShortcutError::ShortcutError(Kind kind, QString message)
    : Error(std::move(message))
    , m_kind(kind)
{
}

ShortcutError ShortcutError::notFound()
{
    return {Kind::NotFound, QStringLiteral("The active scrcpy window was not found.")};
}

ShortcutError ShortcutError::accessibilityMissing(const HostDesktop &desktop)
{
    return {Kind::AccessibilityMissing, desktop.shortcutsRefused()};
}

ShortcutError ShortcutError::sendFailed(QString reason)
{
    return {Kind::SendFailed, std::move(reason)};
}

void ShortcutError::requireAccessibility(PlatformServices &platform)
{
    if (platform.hasAccessibility())
        return;
    platform.promptForAccessibility();
    if (!platform.hasAccessibility())
        throw accessibilityMissing(platform.desktop());
}

} // namespace quorvane::app
