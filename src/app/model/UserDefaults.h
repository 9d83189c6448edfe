#pragma once

#include "HostDesktop.h"

#include <QString>
#include <QVariant>

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
    static inline const QString selectedModeKey = QStringLiteral("selectedMode");
    static inline const QString selectedPhoneKey = QStringLiteral("selectedPhone");
    static inline const QString showTrayIconKey = QStringLiteral("showTrayIcon");
    static inline const QString windowGeometryKey = QStringLiteral("window/geometry");
    static inline const QString windowSplitterKey = QStringLiteral("window/splitter");

    // "" and false when the key was never written.
    static QString text(const QString &key);
    static bool flag(const QString &key);
    // Each returns false when the value read back would not change, so callers notify only real changes.
    static bool writeText(const QString &key, const QString &value);
    static bool writeFlag(const QString &key, bool value);

    // Remembered state (window layout, selections, per-phone choices): an invalid value when never written.
    static QVariant value(const QString &key);
    static void setValue(const QString &key, const QVariant &value);
    static void remove(const QString &key);
};

} // namespace quorvane::app
