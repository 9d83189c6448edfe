#pragma once

#include "LaunchConfig.h"
#include "LearnedProfile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace quorvane {

// Remembers, per device and mode, the settings that last started successfully ("learned-profiles.json" in
// the application folder). Holds nothing itself: every call reads the file, and a change writes it whole.
class ProfileStore
{
public:
    // Never fails: a missing, unreadable or invalid store reads as "nothing learned".
    std::optional<LearnedProfile> load(const QString &serial, const QString &mode) const;
    struct Entry
    {
        QString serial;
        QString mode;
        LearnedProfile profile;
    };
    // Every entry, by serial then mode. Never fails, like load.
    QList<Entry> list() const;
    // Removes the serial's entries (only the one of mode when given) and answers the modes removed, in
    // order; the file is left as it is when nothing matches. A failure to write is thrown.
    QStringList forget(const QString &serial, const std::optional<QString> &mode) const;
    // Sets the entry of config's serial and mode, keeping every other one, also those another process
    // writes meanwhile. An unreadable store is kept aside and started afresh; a failure to write is thrown
    // and leaves the previous file in place.
    void remember(const LaunchConfig &config) const;

    // The serial and the mode joined by the unit separator, which neither can contain.
    static QString key(const QString &serial, const QString &mode);
};

} // namespace quorvane
