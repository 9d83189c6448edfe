#pragma once

#include "HostDesktop.h"

#include <QString>

namespace quorvane::app {

// The per-user defaults of the application. Nothing is cached: every read goes to the store and
// every write goes straight into it, so a value written anywhere in the application is seen at once.
class UserDefaults
{
public:
    static inline const QString customADBPathKey = QStringLiteral("customADBPath");
    static inline const QString customScrcpyPathKey = QStringLiteral("customScrcpyPath");
    static inline const QString onboardingCompletedKey = QStringLiteral("onboardingCompleted");
    static inline const QString mediaRootOverrideKey = QStringLiteral("mediaRootOverride");
    static inline const QString recordingsRootOverrideKey = QStringLiteral("recordingsRootOverride");
    static inline const QString mirrorThroughXWaylandKey = HostDesktop::xwaylandSettingKey;

    // "" and false when the key was never written.
    static QString text(const QString &key);
    static bool flag(const QString &key);
    // Each returns false when the value read back would not change, so callers notify only real changes.
    static bool writeText(const QString &key, const QString &value);
    static bool writeFlag(const QString &key, bool value);
};

} // namespace quorvane::app
