#pragma once

#include "LaunchConfig.h"
#include "LearnedProfile.h"
#include "PhoneIdentity.h"

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
    // Never fails: a missing, unreadable or invalid store reads as "nothing learned". An entry still filed
    // under the address the phone was reached by is found too, until adopt moves it.
    std::optional<LearnedProfile> load(const PhoneIdentity &phone, const QString &mode) const;
    struct Entry
    {
        QString serial;
        QString mode;
        LearnedProfile profile;
    };
    // Every entry, by serial then mode. Never fails, like load.
    QList<Entry> list() const;
    // Removes the phone's entries (only the one of mode when given), under its hardware serial and under the
    // address of an older store alike, and answers the modes removed, in order and once each; the file is
    // left as it is when nothing matches. A failure to write is thrown.
    QStringList forget(const PhoneIdentity &phone, const std::optional<QString> &mode) const;
    // Sets the entry of the phone and config's mode, keeping every other one, also those another process
    // writes meanwhile. An unreadable store is kept aside and started afresh; a failure to write is thrown
    // and leaves the previous file in place.
    void remember(const LaunchConfig &config, const PhoneIdentity &phone) const;
    // Files what was learned under the phone's transport serial (a Wi-Fi address, in stores written before
    // phones were known by their hardware serial) under its hardware serial. An entry whose place is taken
    // already stays where it is; the first move keeps the file as it was beside it. Never fails.
    void adopt(const PhoneIdentity &phone) const;

    // The serial and the mode joined by the unit separator, which neither can contain.
    static QString key(const QString &serial, const QString &mode);
};

} // namespace quorvane
