#pragma once

#include "Errors.h"
#include "HostDesktop.h"

namespace quorvane::app {

class PlatformServices;

// Why a shortcut key could not reach the mirror window; text() is the sentence the user sees.
class ShortcutError final : public Error
{
public:
    enum class Kind { NotFound, AccessibilityMissing, SendFailed };

    Kind kind() const noexcept { return m_kind; }

    static ShortcutError notFound();
    // In the words of the desktop the keys were refused by.
    static ShortcutError accessibilityMissing(const HostDesktop &desktop);
    // The system refused the synthetic key events; reason is a complete sentence.
    static ShortcutError sendFailed(QString reason);

    // Asks for the permission once when it is missing, and throws accessibilityMissing when it still is.
    static void requireAccessibility(PlatformServices &platform);

private:
    ShortcutError(Kind kind, QString message);

    Kind m_kind;
};

} // namespace quorvane::app
